#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/fixed4.h"

namespace kelvaron {

constexpr int32_t kNone = 999;       // "no signal / restriction / prompt"
constexpr int32_t kStopAlarm = 998;  // restriction: a stop alarm rings
constexpr int32_t kLineEndFrame = 55162;
// A departure at the line's end (frames 54962..55163) lets the run go past it.
constexpr int32_t kPastEndFirstFrame = 54962;
constexpr int32_t kPastEndFrame = 55163;
// Prompt images of the two kinds of time check (other prompts are sign pictures).
constexpr int32_t kTimeCheckPrompt0 = 900;
constexpr int32_t kTimeCheckPrompt1 = 901;
constexpr int kCalloutQueueSize = 12;
constexpr int kMaxGradientCars = 20;
constexpr int kStationFlagSlots = 101;

// Per-station flags of the station logic.
struct StationFlags {
    bool markerShown = false;
    bool departurePlayed = false;
    bool doorsClosed = false;
};

// The one set of run variables shared by the tick, the refresh and the input
// handlers, under the names the rest of the system uses. Values here are the
// state of a freshly created run before start-up sets its start values.
struct RunState {
    // Motion and forces.
    Fixed4 Speed = 0;  // km/h, signed
    Fixed4 TractiveForce = 0;
    Fixed4 ResistForce = 0;
    Fixed4 MotorForce = 0;
    Fixed4 ProjectedSpeed = 0;
    Fixed4 AdhesionBase = 3450;
    Fixed4 Adhesion = 0;
    Fixed4 BrakeRateNow = 0;
    std::string WheelState;  // "Racing", "Sliding", "Normal"; empty before the first update
    Fixed4 Slope = 0;        // permil felt by the train, + uphill
    Fixed4 LineVoltage = 0;

    // Handles (driver side) and their effective copies.
    int32_t Reverser = 1;
    int32_t PowerNotch = 0;
    int32_t BrakeNotch = 0;
    bool HoldPosition = false;
    bool HoldExitLatch = false;
    int32_t EffectivePower = 0;
    int32_t EffectiveBrake = 0;
    int32_t SapNotch = 0;
    bool PowerMoved = false, BrakeMoved = false, SapMoved = false;
    int32_t PowerDelayTicks = 0, BrakeDelayTicks = 0, SapDelayTicks = 0;
    bool ForcedEB = false;
    bool SpeedCheckEB = false;
    int32_t VigilanceTimer = 0;
    bool InputLocked = true;

    // Doors.
    bool DoorsOpen = false;
    bool DoorCommand = false;

    // Air brake.
    Fixed4 BcPressure = 0, BpPressure = 0, MrPressure = 0, SapPressure = 0, McBcPressure = 0;
    bool CompressorOn = false;

    // Diesel drive.
    int32_t Gear = 0;
    int32_t EngagedGear = 0;
    bool GearShifted = false;
    long double EngineOutput = 0;
    long double EngineRev = 0;

    // Place along the line.
    int32_t Frame = 0;
    int32_t FrameAccum = 0;
    int32_t FilmingSpeed = 0;
    int32_t SpeedUnitIndex = 0;
    long double Distance = 0;
    long double DistanceStep = 0;
    long double TargetDistance = 0;
    long double RemainingDistance = 0;
    int32_t ClockTicks = 0;
    int32_t PastEndAllowed = 0;
    bool AutoRun = false;
    int32_t LeaderFrame = 0;
    int32_t VideoFrameCount = -1;

    // Signals and train protection.
    int32_t SignalImageIndex = kNone;
    int32_t ShownSignalImage = kNone;
    int32_t ShownCallNumber = kNone;
    int32_t CurrentSignal = kNone;
    int32_t AtsLimit = kNone;
    bool AtsAlarm = false;
    bool AtsConfirmed = false;
    int32_t AtsTimer = 0;
    bool AtsHandled = false;
    int32_t AtsSavedLimit = 0;
    int32_t PatternState = 0;
    int32_t PatternPrevious = 0;
    bool CabBrakeApplied = false;

    // Instruments and refresh.
    int32_t RefreshCount = 0;
    int32_t AmmeterValue = 0;
    int32_t AmmeterTarget = 0;
    Fixed4 VoltmeterValue = 0;
    int32_t ShownGear = -1;
    bool StaffShown = false;

    // Video presenter.
    int32_t DisplayedFrame = 1;
    uint32_t LastDrawTime = 0;

    // Stations, signs and gradients.
    Fixed4 CurrentGradient = 0;
    std::array<int32_t, kMaxGradientCars + 1> GradientSample{};
    long double LastSampleDistance = 0;
    std::array<StationFlags, kStationFlagSlots> StationFlag{};
    bool LimitWarning = false;
    int32_t ShownLimitImage = 0;
    int32_t ShownLimit = 0;
    int32_t PromptImage = kNone;

    // Run sounds: the track-side sounds already started, and the two volume
    // factors of each motor sound (percent) with their common factor.
    std::array<bool, 101> TrackSoundPlayed{};
    std::array<long double, 100> MotorCurveVolume{};
    std::array<long double, 100> MotorGateVolume{};
    long double MotorMasterVolume = 1;

    // Keyboard.
    bool KeypadSwap = false;
    int32_t AnnouncePos = 0;

    // Call-out voices: a first-in first-out queue of loaded sounds (-1 empty).
    std::array<int32_t, kCalloutQueueSize> CalloutQueue{-1, -1, -1, -1, -1, -1,
                                                        -1, -1, -1, -1, -1, -1};
    bool QueueBusy = false;
    bool HeadPlaying = false;
    int32_t LastCalled = 0;
    std::string LastHookResult;

    // Value window.
    bool ValueWindowShown = false;
    // The last code the serial controller sent, with any bytes dropped after
    // it, shown as the window's caption; empty until then (the window keeps
    // its own caption).
    std::string ValueWindowCaption;

    // Joystick controllers.
    int32_t ControllerKind = 0;
    int32_t LastJoyCode = 0;
};

// The signed speed in km/h.
inline long double SpeedKmh(const RunState& s) {
    return static_cast<long double>(s.Speed) / kFixed4Scale;
}

// Standing, as doors, stations and call-outs judge it: the speed rounds to 0 km/h.
inline bool SpeedRoundsToZero(const RunState& s) {
    return Round(SpeedKmh(s)) == 0;
}

}  // namespace kelvaron
