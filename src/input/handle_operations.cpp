#include "input/handle_operations.h"

#include "common/common_util.h"
#include "input/masconupdate.h"

namespace kelvaron {

namespace {

// The brake's release exhaust: started once, never cut off by a second step.
void ReleaseSound(RunContext& run) {
    if (!run.mixer.IsPlaying(run.train.Sound_br1)) run.mixer.Play(run.train.Sound_br1);
}

void RaiseAllMoved(RunState& s) {
    s.PowerMoved = true;
    s.BrakeMoved = true;
    s.SapMoved = true;
}

void RaiseBrakeMoved(RunState& s) {
    s.BrakeMoved = true;
    s.SapMoved = true;
}

// Leaving the hold position toward step 1 counts as the whole step.
void ExitHoldTowardBrake(RunState& s) {
    if (s.HoldPosition) {
        s.HoldPosition = false;
        s.BrakeNotch = -1;
        s.HoldExitLatch = true;
    }
}

void BrakeStepBody(RunState& s, const TrainConfig& t) {
    if (t.Hold == 1 && s.BrakeNotch == 0) s.HoldPosition = true;
    if (t.Hold == 1 && s.BrakeNotch < 0 && !s.HoldExitLatch) s.BrakeNotch -= 1;
    if (t.Hold == 0) s.BrakeNotch -= 1;
}

}  // namespace

bool ReverserMayMove(const RunState& state) {
    return state.Speed <= kFixed4Scale && state.Speed >= -kFixed4Scale;
}

void StepTowardPower(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& t = run.train;
    if (s.BrakeNotch == 0 && s.PowerNotch < t.Power && !s.HoldPosition) s.PowerNotch += 1;
    if (s.HoldPosition) s.HoldPosition = false;
    if (s.PowerNotch == 0 && s.BrakeNotch < 0 && !s.HoldPosition) {
        s.BrakeNotch += 1;
        if (t.Hold == 1 && s.BrakeNotch == 0) s.HoldPosition = true;
        if (t.BrakeType != 0) ReleaseSound(run);
        if (t.BrakeType == 0 && s.BrakeNotch == 0 && s.BcPressure != 0) ReleaseSound(run);
    }
    RaiseAllMoved(s);
}

bool StepTowardBrake(RunContext& run, int32_t lowest) {
    RunState& s = run.state;
    const int32_t before = s.BrakeNotch;
    ExitHoldTowardBrake(s);
    if (s.PowerNotch == 0 && s.BrakeNotch > lowest && !s.HoldPosition) {
        BrakeStepBody(s, run.train);
    }
    // The latch only keeps this one step from going further; left set (power
    // still on), it would swallow the next brake key.
    s.HoldExitLatch = false;
    if (s.BrakeNotch == 0 && s.PowerNotch > 0) s.PowerNotch -= 1;
    RaiseAllMoved(s);
    return s.BrakeNotch < before;
}

void PowerUp(RunContext& run) {
    if (run.state.PowerNotch < run.train.Power) run.state.PowerNotch += 1;
    run.state.PowerMoved = true;
}

void PowerDown(RunContext& run) {
    if (run.state.PowerNotch > 0) run.state.PowerNotch -= 1;
    run.state.PowerMoved = true;
}

void BrakeRelease(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& t = run.train;
    // From the hold position the step only leaves it.
    bool released = true;
    if (s.HoldPosition) {
        s.HoldPosition = false;
    } else if (s.BrakeNotch < 0) {
        s.BrakeNotch += 1;
        if (t.Hold == 1 && s.BrakeNotch == 0) s.HoldPosition = true;
    } else {
        released = false;
    }
    // A handle already at full release has nothing left to exhaust.
    if (released && (t.BrakeType != 0 || s.BrakeNotch == 0)) ReleaseSound(run);
    RaiseBrakeMoved(s);
}

void BrakeApply(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& t = run.train;
    ExitHoldTowardBrake(s);
    if (s.BrakeNotch > 1 - t.Brake && !s.HoldPosition) BrakeStepBody(s, t);
    s.HoldExitLatch = false;
    RaiseBrakeMoved(s);
    // The automatic brake exhausts the pipe when the handle reaches "apply".
    if (t.BrakeType == 0 && s.BrakeNotch <= -3 && s.BcPressure != 0) ReleaseSound(run);
}

void EmergencyOneHandle(RunContext& run) {
    RunState& s = run.state;
    s.HoldPosition = false;
    s.PowerNotch = 0;
    s.BrakeNotch = -run.train.Brake;
    RaiseAllMoved(s);
}

void EmergencyTwoHandle(RunContext& run) {
    RunState& s = run.state;
    if (s.BrakeNotch == -run.train.Brake || s.ForcedEB) return;
    s.HoldPosition = false;
    Restart(run.mixer, run.train.Sound_EB);
    s.BrakeNotch = -run.train.Brake;
    RaiseBrakeMoved(s);
}

void Emergency(RunContext& run) {
    RunState& s = run.state;
    s.HoldPosition = false;
    if (s.BrakeNotch != -run.train.Brake && !s.ForcedEB) Restart(run.mixer, run.train.Sound_EB);
    s.BrakeNotch = -run.train.Brake;
    s.PowerNotch = 0;
    RaiseAllMoved(s);
}

void ReleaseAll(RunContext& run) {
    RunState& s = run.state;
    const int32_t channel = run.train.Sound_br2;
    if (s.BrakeNotch < 0 && (run.train.BrakeType != 0 || s.BcPressure != 0) &&
        !run.mixer.IsPlaying(channel)) {
        run.mixer.Play(channel);
    }
    s.HoldPosition = false;
    s.BrakeNotch = 0;
    s.PowerNotch = 0;
    RaiseAllMoved(s);
}

void SetPower(RunContext& run, int32_t notch) {
    run.state.PowerNotch = ClampNotch(notch, run.train.Power, run.train.Brake);
    run.state.PowerMoved = true;
}

void SetBrake(RunContext& run, int32_t notch) {
    run.state.BrakeNotch = ClampNotch(notch, run.train.Power, run.train.Brake);
    RaiseBrakeMoved(run.state);
}

void SetReverser(RunContext& run, int32_t direction) {
    if (!ReverserMayMove(run.state)) return;
    run.state.Reverser = direction;
    run.panel.SetVisible("Lamp_Fwd", direction == 1);
    run.panel.SetVisible("Lamp_Bck", direction == -1);
    masconupdate(run);
}

void ShiftGear(RunContext& run, int32_t step) {
    RunState& s = run.state;
    const TrainConfig& t = run.train;
    if (t.Engine_Type != 0 || !t.ManualGears() || s.EffectivePower != 0) return;
    const int32_t top = static_cast<int32_t>(t.Engine.size()) - 1;
    if (step > 0 && s.Gear < top) {
        s.Gear += 1;
    } else if (step < 0 && s.Gear > 0) {
        s.Gear -= 1;
    } else {
        return;
    }
    s.GearShifted = true;
    masconupdate(run);
}

void ResetEmergency(RunContext& run) {
    RunState& s = run.state;
    if (s.BrakeNotch != -run.train.Brake || !SpeedRoundsToZero(s)) return;
    s.ForcedEB = false;
    s.SpeedCheckEB = false;
    run.mixer.Stop(run.train.Sound_Ats1);
    run.mixer.Stop(run.train.Sound_Ats2);
    s.AtsConfirmed = false;
    s.AtsAlarm = false;
    s.AtsTimer = 0;
    s.AtsHandled = true;
    // A reset also forgets the protection's restriction and braking pattern,
    // so the alarm does not ring again for the signal already dealt with.
    s.AtsLimit = kNone;
    s.PatternPrevious = 0;
    s.Gear = 0;
}

}  // namespace kelvaron
