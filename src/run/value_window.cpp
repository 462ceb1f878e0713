#include "run/value_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/common_util.h"

namespace kelvaron {

namespace {

constexpr long double kGravity = 9.8L;

int32_t ToBar(long double newtons) {
    if (!std::isfinite(newtons)) return 0;
    long double clamped =
        std::clamp(newtons, static_cast<long double>(-ValueWindowModel::kBarLimit),
                   static_cast<long double>(ValueWindowModel::kBarLimit));
    return static_cast<int32_t>(Round(clamped));
}

// Extended value (not Fixed4) with `decimals` decimals.
std::string FormatReal(long double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    return FormatFixed4(Round(value * kFixed4Scale), decimals);
}

}  // namespace

void UpdateValueWindow(RunContext& run, ValueWindowModel& window) {
    if (!run.state.ValueWindowShown) return;
    const RunState& s = run.state;
    const long double massKg = static_cast<long double>(run.train.Tons) / kFixed4Scale * 1000;
    const long double adhesion = static_cast<long double>(s.Adhesion) / kFixed4Scale;
    const long double motoredKg = static_cast<long double>(run.train.Mt) / kFixed4Scale * 1000;
    const long double slope = static_cast<long double>(s.Slope) / kFixed4Scale;
    const long double accel =
        static_cast<long double>(s.TractiveForce + s.ResistForce) / kFixed4Scale / massKg * 3.6L;
    const long double limitPower = adhesion * motoredKg * kGravity;
    const long double limitBrake = -adhesion * massKg * kGravity;

    auto& v = window.values;
    v[0] = FormatFixed4(s.Speed, 1) + " km/h";
    v[1] = FormatReal(accel, 1) + " km/h/s";
    v[2] = FormatFixed4(s.Slope, 0) + " Permil";
    v[3] = s.WheelState;
    v[4] = FormatFixed4(s.TractiveForce, 0) + " N";
    v[5] = FormatFixed4(s.ResistForce, 0) + " N";
    v[6] = FormatFixed4(s.Adhesion, 2);
    v[7] = FormatReal(limitPower, 0) + " N";
    v[8] = FormatReal(limitBrake, 0) + " N";
    v[9] = FormatFixed4(s.BcPressure, 0) + " kPa";
    v[10] = FormatFixed4(s.SapPressure, 0) + " kPa";
    v[11] = FormatFixed4(s.BpPressure, 0) + " kPa";
    v[12] = FormatFixed4(s.MrPressure, 0) + " kPa";
    v[13] = std::to_string(s.Frame);
    v[14] = std::to_string(s.FilmingSpeed) + " km/h";
    v[15] = FormatReal(s.TargetDistance / 100, 0) + " m";
    v[16] = FormatReal(s.RemainingDistance / 100, 0) + " m";
    v[17] = FormatReal(s.Distance / 100, 0) + " m";

    // The adhesion limits shrink on a grade by cos of its angle.
    const long double cosAlpha = 1000 / std::sqrt(1000 * 1000 + slope * slope);
    window.bars[0] = ToBar(static_cast<long double>(s.TractiveForce) / kFixed4Scale);
    window.bars[1] = ToBar(limitPower * cosAlpha);
    window.bars[2] = ToBar(limitBrake * cosAlpha);
}

}  // namespace kelvaron
