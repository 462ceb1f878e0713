#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "sim/run_state.h"

namespace kelvaron {

// The headless runner's CSV trace: one row of the run state per call, in a
// fixed column order. Fixed4 values are written as their stored integers and
// distances with four decimals, so two runs can be compared byte for byte.
class TraceWriter {
  public:
    static constexpr std::string_view kHeader =
        "t_ms,event,Frame,Speed,Distance,ClockTicks,PowerNotch,BrakeNotch,HoldPosition,Reverser,"
        "EffectivePower,EffectiveBrake,SapNotch,TractiveForce,ResistForce,MotorForce,BcPressure,"
        "BpPressure,MrPressure,SapPressure,McBcPressure,CompressorOn,Slope,Adhesion,DoorsOpen,"
        "ForcedEB,SpeedCheckEB,FilmingSpeed,TargetDistance,RemainingDistance,LeaderFrame,"
        "WheelState,AtsLimit,AtsAlarm,SignalImageIndex,CurrentSignal,PatternState,"
        "VigilanceTimer,AnnouncePos,StationFlagsDone";

    // Writes the header line.
    explicit TraceWriter(std::ostream& out);

    // One row; `event` names what just ran ("refresh", "tick") and
    // `stationCount` is the number of stations of the line.
    void WriteRow(int64_t tMs, std::string_view event, const RunState& state, int stationCount);

  private:
    void Integer(int64_t value);
    void Flag(bool value);
    void Distance(long double value);
    void Text(std::string_view text);

    std::ostream& out_;
    std::string row_;  // reused, so rows after the first allocate nothing
};

// Number of stations among the first `stationCount` whose doors-closed flag is set.
int StationFlagsDone(const RunState& state, int stationCount);

}  // namespace kelvaron
