#include "run/refresh.h"

#include <exception>

#include "data/clock_face.h"
#include "run/callouts.h"
#include "run/gradients.h"
#include "run/instruments.h"
#include "run/run_sounds.h"
#include "run/signals.h"
#include "run/stations.h"
#include "run/track_signs.h"
#include "run/train_protection.h"
#include "sim/air_brake.h"
#include "sim/motion_update.h"
#include "sim/run_clock.h"

namespace kelvaron {
namespace {

constexpr const char* kInitialCaption = "Kelvaron";

using Extras = RefreshExtras;

void RunMotionUpdate(RunContext& run, Extras&) {
    SimContext sim = run.Sim();
    MotionUpdate(sim);
}

void RunCompressor(RunContext& run, Extras&) {
    SimContext sim = run.Sim();
    CompressorStep(sim);
}

// The clock read-out once a second, with the dial.
void Clock(RunContext& run, Extras&) {
    const RunState& s = run.state;
    if (s.RefreshCount % 10 != 0) return;
    run.panel.SetText("Label3", timecalc(s.ClockTicks));
    DrawClockFace(run.panel, run.train.Clock, s.ClockTicks);
}

// Until the first refresh the window shows the program's name, then the line's.
void WindowCaption(RunContext& run, Extras& extras) {
    if (extras.windowCaption && *extras.windowCaption == kInitialCaption) {
        *extras.windowCaption = run.line.LineName;
    }
}

void ValueWindow(RunContext& run, Extras& extras) {
    if (!extras.valueWindow) return;
    UpdateValueWindow(run, *extras.valueWindow);
}

void EventHook(RunContext& run, Extras& extras) {
    RunEventHook(run, extras.commentaryMode, extras.dataDir);
}

void JoystickPolling(RunContext& run, Extras& extras) {
    if (run.state.ControllerKind >= 1 && extras.scanJoystick) extras.scanJoystick();
}

template <void (*Step)(RunContext&)>
void Plain(RunContext& run, Extras&) {
    Step(run);
}

void CountRefresh(RunContext& run, Extras&) {
    ++run.state.RefreshCount;
}

constexpr RefreshStep kSteps[] = {
    {"RefreshCount", CountRefresh, true},                                           // 1
    {"UpdateNeedles", Plain<UpdateNeedles>},                                        // 2
    {"MotionUpdate", RunMotionUpdate, true},                                        // 3
    {"BrakeSqueal", Plain<BrakeSqueal>},                                            // 4
    {"DoorClosingAndDepartureSignal", Plain<DoorClosingAndDepartureSignal>, true},  // 5
    {"UpdatePanelLamps", Plain<UpdatePanelLamps>},
    {"SlideTimetableCard", Plain<SlideTimetableCard>},  // 6
    {"SpeedLimitBlinking", Plain<SpeedLimitBlinking>},  // 7
    {"Clock", Clock},                                   // 8
    {"SmoothMeters", Plain<SmoothMeters>},              // 9
    {"CompressorStep", RunCompressor},                  // 10
    {"TrackSounds", Plain<TrackSounds>},                // 11
    {"Announcements", Plain<Announcements>},
    {"PassingSources", Plain<PassingSources>},
    {"GradientSampling", Plain<GradientSampling>, true},  // 12
    {"GradientSections", Plain<GradientSections>, true},
    {"UpdateBlockAspects", Plain<UpdateBlockAspects>, true},  // 13
    {"ApplyFixedAspects", Plain<ApplyFixedAspects>, true},
    {"Tunnels", Plain<Tunnels>},
    {"ProcessSignals", Plain<ProcessSignals>, true},
    {"SuperviseCabSignal", Plain<SuperviseCabSignal>, true},
    {"RunAtsWarning", Plain<RunAtsWarning>, true},
    {"RunAtsPattern", Plain<RunAtsPattern>, true},
    {"SpeedLimits", Plain<SpeedLimits>},  // 14
    {"CheckSpeedPoints", Plain<CheckSpeedPoints>, true},
    {"Stations", Plain<Stations>, true},  // 15
    {"RunVigilanceDevice", Plain<RunVigilanceDevice>, true},
    {"StopAlert", Plain<StopAlert>},
    {"SignsAndTimeChecks", Plain<SignsAndTimeChecks>},  // 16
    {"RollingNoise", Plain<RollingNoise>},              // 17
    {"MotorSounds", Plain<MotorSounds>},
    {"DieselEngineSound", Plain<DieselEngineSound>, true},
    {"UpdateGearLamp", Plain<UpdateGearLamp>, true},  // 18
    {"StopLineMarker", Plain<StopLineMarker>},
    {"WindowCaption", WindowCaption},               // 19
    {"ValueWindow", ValueWindow},                   // 20
    {"EventHook", EventHook},                       // 21
    {"JoystickPolling", JoystickPolling},           // 22
    {"kanko_queue_play", Plain<kanko_queue_play>},  // 23
};

}  // namespace

std::span<const RefreshStep> RefreshSteps() {
    return kSteps;
}

void Timer1Timer(RunContext& run, RefreshExtras& extras) {
    // The last resort: whatever still fails ends this refresh only, and is
    // reported so that nothing hides.
    try {
        for (const RefreshStep& step : kSteps) step.run(run, extras);
    } catch (const std::exception& e) {
        if (extras.reportFault) extras.reportFault(e.what());
    } catch (...) {
        if (extras.reportFault) extras.reportFault("unknown failure");
    }
}

void TrainMotionRefresh(RunContext& run) {
    RefreshExtras none;
    try {
        for (const RefreshStep& step : kSteps) {
            if (step.movesTrain) step.run(run, none);
        }
    } catch (...) {
        // As in the whole refresh: a failed step ends this refresh only.
    }
}

}  // namespace kelvaron
