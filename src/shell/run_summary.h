#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/line_definition.h"
#include "sim/run_state.h"

namespace kelvaron {

// "hh:mm:ss" of a clock in 1/30 s; like the cab clock, hours go past 24.
inline std::string ClockText(int32_t ticks) {
    const int64_t t = ticks;
    const int64_t seconds = (t < 0 ? -t : t) / 30;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%02lld:%02lld:%02lld", t < 0 ? "-" : "",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return buffer;
}
// How far a clock is from the timetable, e.g. "+11.7 s".
std::string SecondsAgainstTimetable(int32_t ticks, int32_t timetable);

// What the driver made of a run, gathered refresh by refresh: where the train
// stopped and how well, against the timetable, how fast, and how often the
// protection had to brake.
class RunSummary {
  public:
    struct StationResult {
        std::string name;
        int32_t kind = 0;
        int32_t departureTime = 0;  // timetable, 1/30 s
        bool origin = false;        // the run began standing here
        bool behindStart = false;   // the run began beyond it: not the driver's to stop at
        bool movedPast = false;     // a move put the train beyond it: not the driver's either
        bool stopped = false;       // stood still inside the zone (stations where trains stop)
        // Where the train last stood in the zone: + overran, - short.
        long double stopErrorMetres = 0;
        int32_t arrivalTicks = 0;               // first standstill in the zone
        std::optional<int32_t> departureTicks;  // moving again after the last standstill
        std::optional<int32_t> beyondTicks;     // first seen beyond the zone
    };

    // Where the protection rang or braked, in the order it happened.
    enum class ProtectionKind { AtsAlarm, AtsBraking, VigilanceBraking, SpeedCheckBraking };
    struct ProtectionEvent {
        ProtectionKind kind;
        long double distance = 0;  // 1/100 m
        int32_t clockTicks = 0;
    };

    // Called after every refresh, with how often the train has been put at a
    // station so far (Move menu). The stations a move puts it past are not
    // stops the driver ran through, and where it stands then it starts again
    // as at the first station of a run.
    void Observe(const RunState& state, const LineDefinition& line, int32_t moves = 0);

    // A one-screen report.
    void Print(std::ostream& out) const;

    const std::vector<StationResult>& Stations() const { return stations_; }
    Fixed4 MaxSpeed() const { return maxSpeed_; }
    int AtsAlarmCount() const { return atsAlarms_; }
    int ForcedEBCount() const { return atsBrakings_ + vigilanceBrakings_; }
    int AtsBrakingCount() const { return atsBrakings_; }
    int VigilanceBrakingCount() const { return vigilanceBrakings_; }
    int SpeedCheckBrakingCount() const { return speedCheckBrakings_; }
    const std::vector<ProtectionEvent>& ProtectionEvents() const { return events_; }

  private:
    void ObserveProtection(const RunState& state);
    // `moved`: the train has been put at a station since the last observation.
    void ObserveStations(const RunState& state, const LineDefinition& line, bool standing,
                         bool moved);

    std::vector<StationResult> stations_;
    bool firstObservation_ = true;
    int32_t moves_ = 0;    // the moves seen so far
    int standingAt_ = -1;  // station the train stands at, -1 none
    Fixed4 maxSpeed_ = 0;

    bool forcedEB_ = false, speedCheckEB_ = false, atsAlarm_ = false;
    int32_t vigilanceTimer_ = 0;
    int atsAlarms_ = 0, atsBrakings_ = 0, vigilanceBrakings_ = 0, speedCheckBrakings_ = 0;
    std::vector<ProtectionEvent> events_;
};

}  // namespace kelvaron
