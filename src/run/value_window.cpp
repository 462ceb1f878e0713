#include "run/value_window.h"

#include <algorithm>
#include <charconv>
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
std::string_view FormatReal(long double value, int decimals, Fixed4Text& buffer) {
    if (!std::isfinite(value)) return "-";
    return FormatFixed4(Round(value * kFixed4Scale), decimals, buffer);
}

std::string_view FormatInteger(int64_t value, Fixed4Text& buffer) {
    return {
        buffer.data(),
        static_cast<size_t>(std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr -
                            buffer.data())};
}

// The figures are rewritten ten times a second: each keeps its storage.
void SetFigure(std::string& figure, std::string_view number, std::string_view unit = {}) {
    figure.assign(number).append(unit);
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
    Fixed4Text t;
    SetFigure(v[0], FormatFixed4(s.Speed, 1, t), " km/h");
    SetFigure(v[1], FormatReal(accel, 1, t), " km/h/s");
    SetFigure(v[2], FormatFixed4(s.Slope, 0, t), " Permil");
    v[3] = s.WheelState;
    SetFigure(v[4], FormatFixed4(s.TractiveForce, 0, t), " N");
    SetFigure(v[5], FormatFixed4(s.ResistForce, 0, t), " N");
    SetFigure(v[6], FormatFixed4(s.Adhesion, 2, t));
    SetFigure(v[7], FormatReal(limitPower, 0, t), " N");
    SetFigure(v[8], FormatReal(limitBrake, 0, t), " N");
    SetFigure(v[9], FormatFixed4(s.BcPressure, 0, t), " kPa");
    SetFigure(v[10], FormatFixed4(s.SapPressure, 0, t), " kPa");
    SetFigure(v[11], FormatFixed4(s.BpPressure, 0, t), " kPa");
    SetFigure(v[12], FormatFixed4(s.MrPressure, 0, t), " kPa");
    SetFigure(v[13], FormatInteger(s.Frame, t));
    SetFigure(v[14], FormatInteger(s.FilmingSpeed, t), " km/h");
    SetFigure(v[15], FormatReal(s.TargetDistance / 100, 0, t), " m");
    SetFigure(v[16], FormatReal(s.RemainingDistance / 100, 0, t), " m");
    SetFigure(v[17], FormatReal(s.Distance / 100, 0, t), " m");

    // The adhesion limits shrink on a grade by cos of its angle.
    const long double cosAlpha = 1000 / std::sqrt(1000 * 1000 + slope * slope);
    window.bars[0] = ToBar(static_cast<long double>(s.TractiveForce) / kFixed4Scale);
    window.bars[1] = ToBar(limitPower * cosAlpha);
    window.bars[2] = ToBar(limitBrake * cosAlpha);
}

}  // namespace kelvaron
