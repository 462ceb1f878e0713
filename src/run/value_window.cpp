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

// Each figure is rewritten ten times a second; one whose number is as before
// keeps its text, and a new text reuses the storage of the old.
class Figures {
  public:
    explicit Figures(ValueWindowModel& window) : window_(window) {}

    void Fixed4Figure(int row, Fixed4 value, int decimals, std::string_view unit = {}) {
        if (Unchanged(row, value)) return;
        Fixed4Text text;
        Write(row, FormatFixed4(value, decimals, text), unit);
    }

    // An extended value (not Fixed4); "-" when it is not a number.
    void RealFigure(int row, long double value, int decimals, std::string_view unit = {}) {
        if (!std::isfinite(value)) {
            window_.writtenFrom[Index(row)].reset();
            Write(row, "-", unit);
            return;
        }
        Fixed4Figure(row, Round(value * kFixed4Scale), decimals, unit);
    }

    void IntegerFigure(int row, int32_t value, std::string_view unit = {}) {
        Fixed4Figure(row, int64_t{value} * kFixed4Scale, 0, unit);
    }

  private:
    static size_t Index(int row) { return static_cast<size_t>(row); }

    bool Unchanged(int row, int64_t number) {
        std::optional<int64_t>& from = window_.writtenFrom[Index(row)];
        if (from == number) return true;
        from = number;
        return false;
    }

    void Write(int row, std::string_view number, std::string_view unit) {
        window_.values[Index(row)].assign(number).append(unit);
    }

    ValueWindowModel& window_;
};

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

    Figures f(window);
    f.Fixed4Figure(0, s.Speed, 1, " km/h");
    f.RealFigure(1, accel, 1, " km/h/s");
    f.Fixed4Figure(2, s.Slope, 0, " Permil");
    window.values[3] = s.WheelState;
    f.Fixed4Figure(4, s.TractiveForce, 0, " N");
    f.Fixed4Figure(5, s.ResistForce, 0, " N");
    f.Fixed4Figure(6, s.Adhesion, 2);
    f.RealFigure(7, limitPower, 0, " N");
    f.RealFigure(8, limitBrake, 0, " N");
    f.Fixed4Figure(9, s.BcPressure, 0, " kPa");
    f.Fixed4Figure(10, s.SapPressure, 0, " kPa");
    f.Fixed4Figure(11, s.BpPressure, 0, " kPa");
    f.Fixed4Figure(12, s.MrPressure, 0, " kPa");
    f.IntegerFigure(13, s.Frame);
    f.IntegerFigure(14, s.FilmingSpeed, " km/h");
    f.RealFigure(15, s.TargetDistance / 100, 0, " m");
    f.RealFigure(16, s.RemainingDistance / 100, 0, " m");
    f.RealFigure(17, s.Distance / 100, 0, " m");

    // The adhesion limits shrink on a grade by cos of its angle.
    const long double cosAlpha = 1000 / std::sqrt(1000 * 1000 + slope * slope);
    window.bars[0] = ToBar(static_cast<long double>(s.TractiveForce) / kFixed4Scale);
    window.bars[1] = ToBar(limitPower * cosAlpha);
    window.bars[2] = ToBar(limitBrake * cosAlpha);
}

}  // namespace kelvaron
