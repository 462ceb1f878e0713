#include "run/value_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

std::string FormatFixed4(Fixed4 value, int decimals) {
    decimals = std::clamp(decimals, 0, 4);
    static constexpr int64_t kPow10[] = {1, 10, 100, 1000, 10000};
    const int64_t unit = kPow10[4 - decimals];
    const bool negative = value < 0;
    // Magnitude in units of the last shown decimal, half away from zero.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    uint64_t scaled = (magnitude + static_cast<uint64_t>(unit) / 2) / static_cast<uint64_t>(unit);
    const uint64_t divisor = static_cast<uint64_t>(kPow10[decimals]);
    std::string text = std::to_string(scaled / divisor);
    if (decimals > 0) {
        std::string fraction = std::to_string(scaled % divisor);
        text += '.' + std::string(static_cast<size_t>(decimals) - fraction.size(), '0') + fraction;
    }
    if (negative && scaled != 0) text.insert(text.begin(), '-');
    return text;
}

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
