#include "run/train_protection.h"

#include <algorithm>
#include <cmath>

#include "common/fixed4.h"
#include "input/masconupdate.h"
#include "run/signal_image_classes.h"
#include "run/signals.h"

namespace kelvaron {

namespace {

constexpr long double kPatternRange = 60000;       // 600 m in 1/100 m
constexpr int32_t kPatternMargin = 5;              // km/h over a limit before the pattern acts
constexpr long double kPatternBrakeMetres = 10;    // kept short of the target when braking
constexpr long double kPatternWarningMetres = 50;  // ... and when warning, 5 km/h early
constexpr long double kPatternWarningKmh = 5;
constexpr long double kPatternRateShare = 0.8L;  // of the train's braking rate

// The restriction lamps of the cab signal, and with them the alarm lamp.
constexpr PanelName kRestrictionLamps[] = {"Lamp_YG", "Lamp_Y", "Lamp_YY"};
constexpr PanelName kAtsLamps[] = {"Lamp_Ats", "Lamp_YG", "Lamp_Y", "Lamp_YY"};
constexpr int32_t kAlarmMargin = 5;       // km/h over a restriction before the bell
constexpr int64_t kCheckWindow = 10;      // frames after a speed check point
constexpr int32_t kVigilanceRing = 600;   // refreshes without action before the ring
constexpr int32_t kVigilanceBrake = 650;  // ... and before the emergency brake

// A speed limit in km/h in the unit of the run state's speed.
Fixed4 KmH(int64_t kmh) {
    return kmh * kFixed4Scale;
}

void DemandBrakeUpdate(RunContext& run) {
    run.state.PowerMoved = true;
    run.state.BrakeMoved = true;
    masconupdate(run);
}

// Shows one restriction lamp alone, the first time the restriction is met.
void ShowRestrictionLamp(RunContext& run, PanelName lamp, int32_t limit) {
    RunState& s = run.state;
    const PanelControl* control = run.panel.Find(lamp);
    if (control == nullptr || control->visible || s.AtsLimit != limit) return;
    for (PanelName other : kAtsLamps) run.panel.SetVisible(other, false);
    run.panel.SetVisible(lamp, true);
    s.AtsHandled = false;
}

}  // namespace

PatternTarget FindPatternTarget(const RunContext& run) {
    const auto& table = run.line.EventTable;
    const auto& signals = run.line.Signal;
    const size_t count =
        std::min(static_cast<size_t>(std::max(run.line.EventCount, 0)), table.size());
    for (size_t i = 0; i < count; ++i) {
        const EventEntry& entry = table[i];
        const long double ahead = static_cast<long double>(entry.Position) - run.state.Distance;
        if (!(ahead > 0 && ahead < kPatternRange)) continue;
        if (entry.Kind != 0) return {entry.Kind, ahead};
        if (entry.Index < 0 || static_cast<size_t>(entry.Index) >= signals.size()) continue;
        const SignalData& signal = signals[static_cast<size_t>(entry.Index)];
        const bool stop = signal.Aspect == 0 || signal.Aspect == SignalImageFor(signal.Type, 0);
        if (signal.Type >= 2 && signal.Type <= 5 && stop) return {0, ahead};
    }
    return {};
}

std::optional<PatternCurves> PatternCurvesAt(const PatternTarget& target, Fixed4 brakeRate) {
    const long double rate =
        kPatternRateShare * (static_cast<long double>(brakeRate) / kFixed4Scale);
    if (target.speed == kNone || !(rate > 0)) return std::nullopt;
    const long double targetKmh = target.speed > 0 ? target.speed + kPatternMargin : 0;
    // The pattern's braking distance (v - T) / rate * (v + T) / 7.2 solved for v.
    const auto speedLeaving = [&](long double metres) {
        const long double room = std::max<long double>(0, target.distance / 100 - metres);
        return std::sqrt(targetKmh * targetKmh + rate * 7.2L * room);
    };
    return PatternCurves{
        speedLeaving(kPatternBrakeMetres),
        std::max<long double>(0, speedLeaving(kPatternWarningMetres) - kPatternWarningKmh)};
}

void SuperviseCabSignal(RunContext& run) {
    RunState& s = run.state;
    const LineDefinition& line = run.line;
    if (run.train.ATS_Type != 2) return;
    const int32_t image = s.SignalImageIndex;
    const bool overspeed = (IsYYImage(image) && s.Speed > KmH(line.Speed_YY)) ||
                           (IsYImage(image) && s.Speed > KmH(line.Speed_Y)) ||
                           (IsYGImage(image) && s.Speed > KmH(line.Speed_YG)) ||
                           s.Speed > KmH(line.Speed_G) || (IsStopImage(image) && s.Speed >= 0);
    if (overspeed) {
        // Only while the driver has not braked hard himself.
        if (s.BrakeNotch > 1 - run.train.Brake) {
            s.SpeedCheckEB = true;
            DemandBrakeUpdate(run);
            s.CabBrakeApplied = true;
        }
    } else if (s.CabBrakeApplied) {
        s.SpeedCheckEB = false;
        DemandBrakeUpdate(run);
        s.CabBrakeApplied = false;
    }
}

void RunAtsWarning(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& train = run.train;
    const LineDefinition& line = run.line;
    SoundMixer& mixer = run.mixer;
    PanelModel& panel = run.panel;
    if (train.ATS_Type != 0) return;

    if (s.BrakeNotch != -train.Brake && !s.AtsHandled) {
        bool start = false;
        if (train.ATS_Alert == 1) start = s.Speed > KmH(int64_t{s.AtsLimit} + kAlarmMargin);
        if (train.ATS_Alert == 0) start = s.AtsLimit == kStopAlarm || s.AtsLimit == 0;
        if (start) {
            s.AtsAlarm = true;
            s.AtsConfirmed = false;
        }
    }

    if (s.AtsAlarm && !mixer.IsPlaying(train.Sound_Ats1)) {
        s.AtsSavedLimit = s.AtsLimit;
        mixer.Stop(train.Sound_Ats1);
        mixer.Stop(train.Sound_Ats2);
        mixer.PlayLooped(train.Sound_Ats1);
        panel.SetVisible("Lamp_Ats", true);
        for (PanelName lamp : kRestrictionLamps) panel.SetVisible(lamp, false);
        if (s.AtsLimit == 0) {  // a stop signal was passed: brake at once
            s.ForcedEB = true;
            masconupdate(run);
        }
    }

    if (s.AtsConfirmed && !mixer.IsPlaying(train.Sound_Ats2)) {
        mixer.Stop(train.Sound_Ats1);
        if (train.ATS_Cnt == 0) mixer.PlayLooped(train.Sound_Ats2);
        if (train.ATS_Cnt == 1) mixer.Play(train.Sound_Ats2);
        s.AtsConfirmed = false;
        panel.SetVisible("Lamp_Ats", false);
        if (s.AtsSavedLimit == line.Speed_Y) panel.SetVisible("Lamp_Y", true);
        if (s.AtsSavedLimit == line.Speed_YG) panel.SetVisible("Lamp_YG", true);
    }

    if (!s.AtsAlarm) {
        ShowRestrictionLamp(run, "Lamp_YY", line.Speed_YY);
        ShowRestrictionLamp(run, "Lamp_Y", line.Speed_Y);
        ShowRestrictionLamp(run, "Lamp_YG", line.Speed_YG);
        if (s.AtsLimit == kNone) {
            for (PanelName lamp : kAtsLamps) panel.SetVisible(lamp, false);
            s.AtsHandled = false;
        }
    }

    if (s.AtsAlarm) {
        s.AtsTimer += 1;
        if (s.AtsTimer > int64_t{train.ATS_Time} * 10) {
            if (!s.ForcedEB) mixer.Play(train.Sound_EB);
            s.ForcedEB = true;
            masconupdate(run);
            s.AtsTimer = 0;
        }
    }
}

void RunAtsPattern(RunContext& run) {
    RunState& s = run.state;
    const TrainConfig& train = run.train;
    PanelModel& panel = run.panel;
    if (train.ATS_Type != 1) return;

    const PatternTarget target = FindPatternTarget(run);
    long double targetSpeed = target.speed;
    if (targetSpeed > 0) targetSpeed += kPatternMargin;
    const long double v = static_cast<long double>(s.Speed) / kFixed4Scale;
    const long double rate =
        kPatternRateShare * (static_cast<long double>(train.BrakeRate) / kFixed4Scale);
    // Metres needed to brake from `from` down to the target at 80 % of the
    // train's braking rate.
    auto brakingDistance = [&](long double from) {
        return ((from - targetSpeed) / rate) * ((from + targetSpeed) / 2 / 3.6L);
    };

    if (v > targetSpeed && rate != 0) {
        const long double metresLeft = target.distance / 100;
        const long double now = brakingDistance(v);
        const long double soon = brakingDistance(v + kPatternWarningKmh);
        if (std::isfinite(now) && std::isfinite(soon)) {
            if (metresLeft - kPatternBrakeMetres < now)
                s.PatternState = 2;
            else if (!s.SpeedCheckEB)
                s.PatternState = metresLeft - kPatternWarningMetres < soon ? 1 : 0;
        }
    }
    if (targetSpeed > static_cast<long double>(Round(v))) s.PatternState = 0;

    if (s.PatternState != s.PatternPrevious) {
        run.mixer.Play(train.Sound_Atc);
        switch (s.PatternState) {
            case 1:
                panel.SetVisible("Lamp_Atsp1", true);
                panel.SetVisible("Lamp_Atsp2", false);
                break;
            case 2:
                s.SpeedCheckEB = true;
                panel.SetVisible("Lamp_Atsp1", true);
                panel.SetVisible("Lamp_Atsp2", true);
                break;
            default:
                s.SpeedCheckEB = false;
                panel.SetVisible("Lamp_Atsp1", false);
                panel.SetVisible("Lamp_Atsp2", false);
                break;
        }
        masconupdate(run);
    }
    s.PatternPrevious = s.PatternState;
}

void CheckSpeedPoints(RunContext& run) {
    RunState& s = run.state;
    for (const SpeedCheckData& check : run.line.SpeedCheck) {
        if (JustPast(s.Frame, check.CheckFrame, kCheckWindow) && s.Speed > KmH(check.CheckSpeed)) {
            s.AtsAlarm = true;
            s.AtsConfirmed = false;
        }
    }
}

void RunVigilanceDevice(RunContext& run) {
    RunState& s = run.state;
    TrainConfig& train = run.train;
    SoundMixer& mixer = run.mixer;
    // Auto-run is a test drive: the device stays off for the rest of the run.
    if (s.AutoRun) train.EB = 0;
    if (train.EB == 1 && s.Speed > KmH(1)) s.VigilanceTimer += 1;
    if (s.VigilanceTimer > kVigilanceRing) {
        if (!mixer.IsPlaying(train.Sound_EBring)) mixer.Play(train.Sound_EBring);
        run.panel.SetVisible("Lamp_EB", true);
    }
    if (s.VigilanceTimer > kVigilanceBrake) {
        mixer.Stop(train.Sound_EBring);
        s.VigilanceTimer = 0;
        s.ForcedEB = true;
        DemandBrakeUpdate(run);
    }
}

}  // namespace kelvaron
