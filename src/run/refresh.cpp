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

void RefreshSteps(RunContext& run, RefreshExtras& extras) {
    RunState& s = run.state;
    SimContext sim = run.Sim();

    ++s.RefreshCount;                    // 1
    UpdateNeedles(run);                  // 2
    MotionUpdate(sim);                   // 3
    BrakeSqueal(run);                    // 4
    DoorClosingAndDepartureSignal(run);  // 5
    UpdatePanelLamps(run);
    SlideTimetableCard(run);         // 6
    SpeedLimitBlinking(run);         // 7
    if (s.RefreshCount % 10 == 0) {  // 8
        run.panel.SetText("Label3", timecalc(s.ClockTicks));
        DrawClockFace(run.panel, run.train.Clock, s.ClockTicks);
    }
    SmoothMeters(run);    // 9
    CompressorStep(sim);  // 10
    TrackSounds(run);     // 11
    Announcements(run);
    PassingSources(run);
    GradientSampling(run);  // 12
    GradientSections(run);
    UpdateBlockAspects(run);  // 13
    ApplyFixedAspects(run);
    Tunnels(run);
    ProcessSignals(run);
    SuperviseCabSignal(run);
    RunAtsWarning(run);
    RunAtsPattern(run);
    SpeedLimits(run);  // 14
    CheckSpeedPoints(run);
    Stations(run);  // 15
    RunVigilanceDevice(run);
    StopAlert(run);
    SignsAndTimeChecks(run);  // 16
    RollingNoise(run);        // 17
    MotorSounds(run);
    DieselEngineSound(run);
    UpdateGearLamp(run);  // 18
    StopLineMarker(run);
    if (extras.windowCaption && *extras.windowCaption == kInitialCaption) {  // 19
        *extras.windowCaption = run.line.LineName;
    }
    if (extras.valueWindow) {  // 20
        if (!s.ValueWindowCaption.empty()) extras.valueWindow->caption = s.ValueWindowCaption;
        UpdateValueWindow(run, *extras.valueWindow);
    }
    RunEventHook(run, extras.commentaryMode, extras.dataDir);                 // 21
    if (s.ControllerKind >= 1 && extras.scanJoystick) extras.scanJoystick();  // 22
    kanko_queue_play(run);                                                    // 23
}

}  // namespace

void Timer1Timer(RunContext& run, RefreshExtras& extras) {
    // The last resort: whatever still fails ends this refresh only, and is
    // reported so that nothing hides.
    try {
        RefreshSteps(run, extras);
    } catch (const std::exception& e) {
        if (extras.reportFault) extras.reportFault(e.what());
    } catch (...) {
        if (extras.reportFault) extras.reportFault("unknown failure");
    }
}

}  // namespace kelvaron
