#include "input/keyboard.h"

#include <optional>

#include "input/handle_operations.h"
#include "input/masconupdate.h"
#include "sim/doors.h"

namespace kelvaron {

namespace {

constexpr Fixed4 kTenKmh = 10 * kFixed4Scale;
constexpr Fixed4 kTestTopSpeed = 1000 * kFixed4Scale;
constexpr int32_t kHalfMinuteTicks = 900;

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

// Any driver action silences the vigilance device.
void SilenceVigilance(RunContext& run) {
    run.state.VigilanceTimer = 0;
    run.mixer.Stop(run.train.Sound_EBring);
    run.panel.SetVisible("Lamp_EB", false);
}

void PlayUnlessPlaying(RunContext& run, int channel) {
    if (!run.mixer.IsPlaying(channel)) run.mixer.Play(channel);
}

// The alarm is acknowledged only with the brake applied; a second press ends
// the acknowledgement.
void ConfirmAts(RunContext& run) {
    RunState& s = run.state;
    const int chime = run.train.Sound_Ats2;
    // At a stop-signal restriction the chime ends only once the train stands.
    bool mayStopChime = s.AtsLimit != kStopAlarm || SpeedRoundsToZero(s);
    if (mayStopChime && run.mixer.IsPlaying(chime)) run.mixer.Stop(chime);
    if (s.AtsConfirmed) {
        s.AtsConfirmed = false;
        s.AtsAlarm = false;
    }
    if (s.AtsAlarm && s.BrakeNotch < 0 && !s.ForcedEB) {
        s.AtsAlarm = false;
        s.AtsConfirmed = true;
        s.AtsTimer = 0;
        s.AtsHandled = true;
    }
}

// Channel of announcement k; none for a position outside the list (the
// move-to-station command can set the position past the last announcement).
std::optional<int> AnnounceChannel(const RunContext& run, int32_t k) {
    if (k < 0 || k >= static_cast<int32_t>(run.line.Announce.size())) return std::nullopt;
    return run.LineChannel(run.line.Announce[static_cast<size_t>(k)].Sound);
}

void NextAnnouncement(RunContext& run) {
    int32_t& pos = run.state.AnnouncePos;
    auto channel = AnnounceChannel(run, pos);
    if (!channel || run.mixer.IsPlaying(*channel)) return;
    if (auto previous = AnnounceChannel(run, pos - 1)) run.mixer.Stop(*previous);
    Restart(run.mixer, *channel);
    pos += 1;
}

void PreviousAnnouncement(RunContext& run) {
    int32_t& pos = run.state.AnnouncePos;
    if (pos <= 0) return;
    if (auto previous = AnnounceChannel(run, pos - 1)) run.mixer.Stop(*previous);
    pos -= 1;
}

void HandleKeys(RunContext& run, char key) {
    const TrainConfig& t = run.train;
    const int32_t lastServiceStep = 1 - t.Brake;
    if (ReverserMayMove(run.state)) {
        if (key == 'f') SetReverser(run, 1);
        if (key == 'b') SetReverser(run, -1);
        if (key == 'n') SetReverser(run, 0);
    }
    if (t.Handle == 0) {
        if (key == 'z') StepTowardPower(run);
        if (key == 'a') StepTowardBrake(run, lastServiceStep);
        if (key == 'q') EmergencyOneHandle(run);
    }
    if (t.Handle == 1) {
        if (key == 'z') PowerUp(run);
        if (key == 'a') PowerDown(run);
        if (key == ',') BrakeRelease(run);
        if (key == '.') BrakeApply(run);
        if (key == '/') EmergencyTwoHandle(run);
    }
    if (key == '8') StepTowardPower(run);
    if (key == '2' && StepTowardBrake(run, lastServiceStep) && t.BrakeType == 0 &&
        run.state.BrakeNotch <= -3) {
        PlayUnlessPlaying(run, t.Sound_br1);
    }
    if (key == '5') ReleaseAll(run);
    if (key == '0') Emergency(run);
    masconupdate(run);
}

void SoundAndServiceKeys(RunContext& run, char key) {
    const TrainConfig& t = run.train;
    const bool oneMan = run.line.OneMan != 0;
    if (key == '3') Restart(run.mixer, t.Sound_Horn);
    if (key == '6') Restart(run.mixer, t.Sound_Horn2);
    if (key == '4') Restart(run.mixer, t.Buzzer[0]);
    if (key == '1') Restart(run.mixer, t.Buzzer[1]);
    if ((key == 'd' || key == '7') && oneMan) {
        SimContext sim = run.Sim();
        Door_operate(sim);
    }
    if (key == 'r') ResetEmergency(run);
    if (key == ' ') ConfirmAts(run);
    if (key == '1' && oneMan) NextAnnouncement(run);
    if (key == '-' && oneMan) PreviousAnnouncement(run);
    if (key == 's') ShiftGear(run, +1);
    if (key == 'x') ShiftGear(run, -1);
}

// Height the timetable card takes on the window.
int32_t CardHeight(const PanelControl& card) {
    return card.autoSize && card.picture ? card.picture->height : card.height;
}

void TimetableCardKeys(RunContext& run, int vk) {
    PanelControl* card = run.panel.Find("StaffImage");
    const int32_t client = kRunWindowClientHeight;
    if (card) {
        const int32_t height = CardHeight(*card);
        if (vk == kVkF3 && height > client && card->top == 0) card->top = client - height;
        if (vk == kVkF2 && height > client && card->top < 0) card->top = 0;
        if (vk == kVkF1 && client < height) {
            // Late in the run the lower part of a long card matters.
            const bool pastHalf = 2 * static_cast<int64_t>(run.state.Frame) >
                                  static_cast<int64_t>(run.state.VideoFrameCount);
            card->top = pastHalf ? client - height : 0;
        }
    }
    if (vk == kVkF1) run.state.StaffShown = !run.state.StaffShown;
}

void TestKeys(RunState& s, int vk) {
    if (vk == kVkF1) s.AutoRun = true;
    if (vk == kVkF2) s.AutoRun = false;
    if (vk == kVkF11 && s.Speed > kTenKmh) s.Speed -= kTenKmh;
    if (vk == kVkF12 && s.Speed < kTestTopSpeed) s.Speed += kTenKmh;
    if (vk == kVkF10) s.ClockTicks += kHalfMinuteTicks;
    if (vk == kVkF9) s.ClockTicks -= kHalfMinuteTicks;
    if (vk == kVkF8) s.Frame += 1000;
    if (vk == kVkF7) s.Frame -= 1000;
    if (vk == kVkF6) s.Frame += 100;
    if (vk == kVkF5) s.Frame -= 100;
}

}  // namespace

void AsciiDown(RunContext& run, char key) {
    SilenceVigilance(run);
    if (run.state.KeypadSwap) {
        if (key == '2') {
            key = '8';
        } else if (key == '8') {
            key = '2';
        }
    }
    if (run.state.InputLocked) return;

    HandleKeys(run, key);
    SoundAndServiceKeys(run, key);

    run.panel.SetText("GearLabel", GearText(run.state.Gear));
    // The handle now brakes harder than the brake in force: no release sound.
    if (run.state.EffectiveBrake > run.state.BrakeNotch) {
        run.mixer.Stop(run.train.Sound_br1);
        run.mixer.Stop(run.train.Sound_br2);
    }
}

void keydowns(RunContext& run, const InputHooks& hooks, int vk, bool shiftOnly) {
    RunState& s = run.state;
    if (vk == kVkScroll) s.KeypadSwap = !s.KeypadSwap;
    if (vk == kVkReturn) Call(hooks.callout);
    if (shiftOnly) TestKeys(s, vk);
    if (vk == kVkF5) {
        // Showing the value window ends the key; hiding it lets the rest run.
        if (!s.ValueWindowShown) {
            s.ValueWindowShown = true;
            return;
        }
        s.ValueWindowShown = false;
    }
    TimetableCardKeys(run, vk);
}

void WheelD(RunContext& run) {
    SilenceVigilance(run);
    StepTowardPower(run);
    masconupdate(run);
}

void WheelU(RunContext& run) {
    SilenceVigilance(run);
    const bool stepped = StepTowardBrake(run, -run.train.Brake);
    if (stepped && run.state.BrakeNotch == -run.train.Brake && run.state.BpPressure > 0) {
        PlayUnlessPlaying(run, run.train.Sound_EB);
    }
    masconupdate(run);
}

}  // namespace kelvaron
