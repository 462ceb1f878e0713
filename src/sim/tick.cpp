#include "sim/tick.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "sim/air_brake.h"
#include "sim/field_store.h"
#include "sim/traction.h"

namespace kelvaron {
namespace {

// Counts a pending handle movement; true when its delay has run out. The
// counter is raised before the test, so a delay of 0 or less never runs out.
bool DelayRunsOut(bool& moved, int32_t& ticks, int32_t delay) {
    if (!moved) return false;
    CountUp(ticks);
    if (ticks != delay) return false;
    ticks = 0;
    moved = false;
    return true;
}

// Motor force and the power handle's delay; returns true when a gear change completed.
bool TractionGate(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    bool gearChangeDone = false;
    if (!s.DoorsOpen && !s.SpeedCheckEB && !s.ForcedEB) {
        const bool diesel = t.Engine_Type == 0;
        if (s.EffectivePower > 0 && t.Engine_Type == 1) ElectricForce(sim);
        if (diesel && !s.GearShifted) DieselTractionStep(sim);
        if (diesel && s.GearShifted) gearChangeDone = GearShiftStep(s);
        if (DelayRunsOut(s.PowerMoved, s.PowerDelayTicks, t.PowerDelay)) {
            s.EffectivePower = s.PowerNotch;
        }
        if (s.Reverser == 0) s.TractiveForce = 0;
        if (s.Reverser == -1) s.TractiveForce = Round(-static_cast<long double>(s.TractiveForce));
    }
    s.MotorForce = s.TractiveForce;
    return gearChangeDone;
}

// Turns the whole-km/h speed sum into frames of the cab video, which was
// filmed at FilmingSpeed: one frame per FilmingSpeed added.
void AdvanceFrame(RunState& s) {
    const int64_t kmh = Round(static_cast<long double>(s.Speed) / kFixed4Scale);
    s.FrameAccum = RoundInt(static_cast<long double>(s.FrameAccum) + std::abs(kmh));
    if (s.FrameAccum >= s.FilmingSpeed) {
        if (s.FilmingSpeed <= 0) s.FilmingSpeed = 1;
        const int32_t frames = s.FrameAccum / s.FilmingSpeed;
        if (s.Speed > 0) s.Frame = RoundInt(static_cast<long double>(s.Frame) + frames);
        if (s.Speed < 0) s.Frame = RoundInt(static_cast<long double>(s.Frame) - frames);
        s.FrameAccum %= s.FilmingSpeed;
    }
    if (s.PastEndAllowed == 0 && s.Frame > kLineEndFrame) {
        s.Frame = kLineEndFrame;
        s.Speed = 0;
    }
}

// Filming speed at the current frame, interpolated within its [SpeedUnit]
// record. Entering another record sets the distance to where that record
// starts, so rounding in the per-tick distance never accumulates.
void LookUpSpeedUnit(RunState& s, const LineDefinition& line) {
    const auto& units = line.SpeedUnit;
    line.Lookups.SpeedUnits.At(s.Frame, units.size()).ForEach(units.size(), [&](size_t i) {
        const SpeedUnitData& u = units[i];
        if (!(u.StartFrame <= s.Frame && s.Frame < u.EndFrame)) return;
        const auto index = static_cast<int32_t>(i);
        if (index != s.SpeedUnitIndex && s.SpeedUnitIndex != -1) {
            s.Distance = i == 0 ? 0 : units[i - 1].CumulativeDistance;
        }
        const long double speedSpan = static_cast<long double>(u.EndSpeed) - u.StartSpeed;
        const long double frameSpan = static_cast<long double>(u.EndFrame) - u.StartFrame;
        s.FilmingSpeed =
            RoundInt(speedSpan / frameSpan * (static_cast<long double>(s.Frame) - u.StartFrame) +
                     u.StartSpeed);
        s.SpeedUnitIndex = index;
    });
}

// The preceding train runs through the video at the line's frame rate and
// leaves the line at the end of the video.
void AdvanceLeader(RunState& s, int32_t frameRate) {
    int32_t ticksPerFrame = frameRate > 0 ? 30 / frameRate : 1;
    if (ticksPerFrame < 1) ticksPerFrame = 1;
    if (s.ClockTicks % ticksPerFrame == 0 && s.LeaderFrame != 0) CountUp(s.LeaderFrame);
    if (s.VideoFrameCount < s.LeaderFrame) s.LeaderFrame = 0;
}

}  // namespace

bool MMTimer1Timer(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;

    s.TractiveForce = 0;
    s.ResistForce = 0;

    bool gearChangeDone = false;
    if (s.LineVoltage > 0 && s.Speed < int64_t{t.MaxSpeed} * kFixed4Scale) {
        gearChangeDone = TractionGate(sim);
    }

    AirBrakeStep(sim);
    if (DelayRunsOut(s.BrakeMoved, s.BrakeDelayTicks, t.BrakeDelay)) {
        s.EffectiveBrake = s.BrakeNotch;
    }
    if (DelayRunsOut(s.SapMoved, s.SapDelayTicks, t.SAPDelay)) s.SapNotch = s.BrakeNotch;

    AdvanceFrame(s);
    LookUpSpeedUnit(s, sim.line);

    // 1/100 m covered in one 33.333 ms tick.
    s.DistanceStep = s.Speed != 0 ? s.Speed / 36000.0L * 33333 / 10000 : 0;
    s.Distance += s.DistanceStep;
    s.RemainingDistance = s.TargetDistance - s.Distance;

    CountUp(s.ClockTicks);
    if (s.AutoRun) s.Speed = int64_t{s.FilmingSpeed} * kFixed4Scale;
    AdvanceLeader(s, sim.line.FrameRate);
    return gearChangeDone;
}

}  // namespace kelvaron
