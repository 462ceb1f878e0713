#include "run/instruments.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "common/common_util.h"
#include "common/fixed4.h"
#include "data/panel_ops.h"

namespace kelvaron {

namespace {

constexpr Fixed4 kNeedleSpeedLimit = 160 * kFixed4Scale;  // needle pinned from here on
constexpr Fixed4 kGearFallBackSpeed = 25 * kFixed4Scale;
constexpr Fixed4 kVoltmeterStep = 1000000;
constexpr int32_t kClientWidth = 640;  // the card waits just beyond the client area
constexpr int32_t kCardStep = 30;

constexpr std::array<PanelName, kMaxOtherLamps> kOtherNames{
    "Others0", "Others1", "Others2", "Others3", "Others4", "Others5",
    "Others6", "Others7", "Others8", "Others9", "Others10"};

Fixed4 KmH(int64_t kmh) {
    return kmh * kFixed4Scale;
}

const Meter& NeedleOf(const RunContext& run, NeedleIndex needle) {
    return run.train.Needles[static_cast<size_t>(needle)];
}

void SetFixed4Needle(RunContext& run, NeedleIndex needle, Fixed4 value) {
    SetNeedleAngle(run.panel, needle, NeedleAngleFixed4(NeedleOf(run, needle), value));
}

// One ammeter step: coarse while far from the goal, then 10 units, which may
// pass the goal and come back on the next refresh.
int32_t AmmeterStep(int64_t gap) {
    const int64_t distance = std::llabs(gap);
    const int32_t step = distance > 100 ? 100 : distance > 50 ? 50 : 10;
    return gap > 0 ? step : -step;
}

}  // namespace

void UpdateNeedles(RunContext& run) {
    const RunState& s = run.state;
    const Fixed4 speed = s.Speed;
    const Fixed4 magnitude = speed < 0 ? -speed : speed;
    if (magnitude < kNeedleSpeedLimit && (speed >= 0 || magnitude >= KmH(1))) {
        const long double reading = static_cast<long double>(magnitude) / kFixed4Scale;
        SetNeedleAngle(run.panel, kNeedleSpeed, NeedleAngle(NeedleOf(run, kNeedleSpeed), reading));
    }
    const long double current = std::llabs(static_cast<int64_t>(s.AmmeterValue));
    SetNeedleAngle(run.panel, kNeedleI, NeedleAngle(NeedleOf(run, kNeedleI), current));
    SetFixed4Needle(run, kNeedleV, s.VoltmeterValue);
    SetFixed4Needle(run, kNeedleBC, s.McBcPressure);
    SetFixed4Needle(run, kNeedleBP, s.BpPressure);
    SetFixed4Needle(run, kNeedleMR, s.MrPressure);
    SetFixed4Needle(run, kNeedleSAP, s.SapPressure);

    const int64_t wholeKmH = Round(static_cast<long double>(speed) / kFixed4Scale);
    run.panel.SetText("digi_speed", ToDecimal(wholeKmH) + "km/h");
}

void UpdatePanelLamps(RunContext& run) {
    const RunState& s = run.state;
    const TrainConfig& train = run.train;
    PanelModel& panel = run.panel;
    const bool powering = !s.DoorsOpen && s.EffectivePower > 0;
    const bool aboveLoseElec = s.Speed > KmH(train.Lose_elec);
    const bool serviceBrake = -train.Brake < s.EffectiveBrake && s.EffectiveBrake < 0;

    panel.SetVisible("Lamp_Power", powering);
    panel.SetVisible("Lamp_Gen", (s.HoldPosition && s.ResistForce > 0 && aboveLoseElec) ||
                                     (serviceBrake && aboveLoseElec));
    panel.SetVisible("Lamp_Ele", powering || (s.EffectiveBrake < 0 && s.BrakeNotch > -train.Brake &&
                                              aboveLoseElec));
    panel.SetVisible("Lamp_Air", serviceBrake);
    for (PanelName name : kOtherNames) panel.SetVisible(name, true);
}

void SlideTimetableCard(RunContext& run) {
    PanelControl* card = run.panel.Find("StaffImage");
    if (card == nullptr) return;
    const int32_t inView = kClientWidth - card->width;
    if (!run.state.StaffShown && card->left < kClientWidth)
        card->left = std::min(card->left + kCardStep, kClientWidth);
    if (run.state.StaffShown && card->left > inView)
        card->left = std::max(card->left - kCardStep, inView);
}

void SmoothMeters(RunContext& run) {
    RunState& s = run.state;
    if (s.VoltmeterValue < s.LineVoltage)
        s.VoltmeterValue = std::min(s.VoltmeterValue + kVoltmeterStep, s.LineVoltage);
    else if (s.VoltmeterValue > s.LineVoltage)
        s.VoltmeterValue = std::max(s.VoltmeterValue - kVoltmeterStep, s.LineVoltage);

    if (s.EffectivePower > 0) {
        // MotorForce (N) and [Tons] (t) are stored with the same scale, which
        // cancels: 3.6 F / (1000 m) is the motor's acceleration in km/h/s.
        const long double tons = static_cast<long double>(run.train.Tons);
        if (tons != 0) {
            int32_t target = 0;
            const long double acceleration =
                3.6L * static_cast<long double>(s.MotorForce) / (tons * 1000);
            if (Round32(acceleration * 160, target)) s.AmmeterTarget = target;
        }
    } else {
        s.AmmeterTarget = 0;
    }

    if (s.AmmeterValue != s.AmmeterTarget) {
        const int64_t gap = int64_t{s.AmmeterTarget} - s.AmmeterValue;
        s.AmmeterValue = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{s.AmmeterValue} + AmmeterStep(gap), INT32_MIN, INT32_MAX));
    }
}

void UpdateGearLamp(RunContext& run) {
    RunState& s = run.state;
    PanelModel& panel = run.panel;
    const ImageList& gears = run.images.GearImageList;
    if (s.EffectivePower > 0 && (s.EngagedGear != s.ShownGear || s.ShownGear == -1)) {
        panel.SetPicture("Lamp_Gear", nullptr);
        DrawImageListEntry(panel, "Lamp_Gear", gears, s.EngagedGear + 1);
        s.ShownGear = s.EngagedGear;
    }
    if (s.ShownGear != -1 && (s.EffectivePower == 0 || s.GearShifted)) {
        panel.SetPicture("Lamp_Gear", nullptr);
        DrawImageListEntry(panel, "Lamp_Gear", gears, 0);
        s.ShownGear = -1;
    }
    if (s.Speed < kGearFallBackSpeed) {
        s.EngagedGear = 0;
        s.GearShifted = false;
    }
}

}  // namespace kelvaron
