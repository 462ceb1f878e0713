#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/line_definition.h"
#include "sim/run_state.h"

namespace kelvaron {

// What the driver made of a run, gathered refresh by refresh: where the train
// stopped and how well, against the timetable, how fast, and how often the
// protection had to brake.
class RunSummary {
  public:
    struct StationResult {
        std::string name;
        int32_t departureTime = 0;        // timetable, 1/30 s
        bool reached = false;             // the train has been beyond the zone
        bool stopped = false;             // stood inside the zone
        long double stopErrorMetres = 0;  // + overran, - short, at the first standstill
        int32_t arrivalTicks = 0;
        std::optional<int32_t> leaveTicks;  // first refresh moving again after the stop
    };

    // Called after every refresh.
    void Observe(const RunState& state, const LineDefinition& line);

    // A one-screen report.
    void Print(std::ostream& out) const;

    const std::vector<StationResult>& Stations() const { return stations_; }
    Fixed4 MaxSpeed() const { return maxSpeed_; }
    int ForcedEBCount() const { return forcedEB_.count; }
    int SpeedCheckEBCount() const { return speedCheckEB_.count; }
    int AtsAlarmCount() const { return atsAlarm_.count; }

  private:
    struct EdgeCounter {
        bool previous = false;
        int count = 0;
        void Observe(bool now) {
            if (now && !previous) ++count;
            previous = now;
        }
    };

    std::vector<StationResult> stations_;
    int standingAt_ = -1;  // station the train stands at, -1 none
    Fixed4 maxSpeed_ = 0;
    EdgeCounter forcedEB_, speedCheckEB_, atsAlarm_;
};

}  // namespace kelvaron
