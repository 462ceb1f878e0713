#include "sim/traction.h"

#include <cmath>
#include <cstdint>

#include "sim/field_store.h"

namespace kelvaron {
namespace {

// Exponents up to this are multiplied out; larger ones exist only in broken
// data and take the library power, so that a tick never loops for long.
constexpr int64_t kMultipliedExponentLimit = 10000;

// x^k by repeated multiplication; a negative k gives 1 / x^|k|.
long double IntPower(long double x, int64_t k) {
    const int64_t n = k < 0 ? -k : k;
    long double power = 1;
    if (n > kMultipliedExponentLimit) {
        power = std::pow(x, static_cast<long double>(n));
    } else {
        for (int64_t i = 0; i < n; ++i) power *= x;
    }
    return k < 0 ? 1 / power : power;
}

// TractiveForce += an acceleration of the whole train (km/h/s), in newtons.
void AddAcceleration(RunState& s, const TrainConfig& t, long double kmhPerSecond) {
    StoreRounded(s.TractiveForce, s.TractiveForce + kmhPerSecond / 3.6L * t.Tons * 1000);
}

const GearCurve* EngagedCurve(const RunState& s, const TrainConfig& t) {
    if (s.EngagedGear < 0 || static_cast<size_t>(s.EngagedGear) >= t.Engine.size()) {
        return nullptr;
    }
    return &t.Engine[static_cast<size_t>(s.EngagedGear)];
}

void ShiftGear(RunState& s, const TrainConfig& t, int32_t step) {
    const int64_t gear = int64_t{s.Gear} + step;
    if (gear < 0 || gear >= static_cast<int64_t>(t.Engine.size())) return;
    s.Gear = static_cast<int32_t>(gear);
    s.GearShifted = true;
}

}  // namespace

void ElectricForce(SimContext& sim) {
    RunState& s = sim.state;
    const auto& curves = sim.train.Notch;
    if (s.EffectivePower < 1 || static_cast<size_t>(s.EffectivePower) > curves.size()) return;
    const NotchCurve& c = curves[static_cast<size_t>(s.EffectivePower) - 1];
    const long double v = std::fabs(SpeedKmh(s));
    const long double a0 = c.A0, a1 = c.A1, x = c.X;
    const long double v1 = c.V1, v2 = c.V2;

    // Constant force rising or falling linearly to A1 at V1.
    if (v < v1) AddAcceleration(s, sim.train, a0 + v * (a1 - a0) / v1);
    // The other two regions divide by the speed: at standstill they give no
    // force (a curve with V1 or V2 of 0 reaches them there).
    if (v == 0) return;
    // Constant power.
    if (v1 <= v && v < v2) AddAcceleration(s, sim.train, a1 * v1 / v);
    // Constant power decaying by X per whole km/h above V2.
    if (v >= v2) {
        AddAcceleration(s, sim.train,
                        (a1 * v1 / v2 * v2) / IntPower(x, c.V2) * IntPower(x, Round(v)) / v);
    }
}

void DieselTractionStep(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    const GearCurve* curve = EngagedCurve(s, t);
    if (curve == nullptr) return;
    const GearCurve g = *curve;
    const long double v = std::fabs(SpeedKmh(s));

    if (t.Gear_Type == "AT") {
        if (v > g.S2) ShiftGear(s, t, +1);
        // Down a gear 5 km/h before the engaged gear's range ends.
        if (std::fabs(s.Speed + 50000.0L) / kFixed4Scale < g.S0) ShiftGear(s, t, -1);
    }
    if (s.EffectivePower <= 0) return;

    long double acceleration = 0;
    if (v < g.S1) {
        acceleration = g.C0 + std::fabs(v - g.S0) * (static_cast<long double>(g.C1) - g.C0) /
                                  (static_cast<long double>(g.S1) - g.S0);
    } else if (v < g.S2) {
        acceleration = g.C1 + std::fabs(v - g.S1) * (static_cast<long double>(g.C2) - g.C1) /
                                  (static_cast<long double>(g.S2) - g.S1);
    } else {
        return;
    }
    StoreRounded(s.TractiveForce, s.TractiveForce + acceleration * (s.EngineOutput / 100) / 3.6L *
                                                        t.Tons * 1000 / t.Power * s.EffectivePower);
}

bool GearShiftStep(RunState& s) {
    CountUp(s.PowerDelayTicks);
    if (s.PowerDelayTicks < kGearShiftTicks) return false;
    s.PowerDelayTicks = 0;
    s.EngagedGear = s.Gear;
    s.GearShifted = false;
    return true;
}

void EngineOutputStep(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    if (s.EffectivePower == 0 || s.GearShifted) {
        if (s.EngineRev > 3) s.EngineRev -= 3;
        if (s.EngineOutput > 50) s.EngineOutput -= 2;
        return;
    }
    if (s.EngineRev < 95) s.EngineRev += 5;

    // The notch caps the output; the speed within the gear's range caps it too,
    // from half (converter stage) or 70 % (gears) at S0 up to 96 % at S2.
    const long double notchCap = 50 + 50.0L / t.Power * s.EffectivePower;
    const GearCurve* g = EngagedCurve(s, t);
    auto speedCap = [&](long double rise, long double base) {
        const long double s0 = g->S0, s2 = g->S2;
        return ((s.Speed - s0 * kFixed4Scale) * rise / (s2 - s0) + base) * 96;
    };
    if (s.EngagedGear == 0 && s.EngineOutput < 96 && s.EngineOutput < notchCap) {
        s.EngineOutput += 4;
    }
    if (g != nullptr && s.EngagedGear == 0 &&
        s.EngineOutput * kFixed4Scale < speedCap(0.5L, 5000) && s.EngineOutput < notchCap) {
        s.EngineOutput += 4;
    }
    if (g != nullptr && s.EngagedGear > 0 && s.EngineOutput * kFixed4Scale < speedCap(0.3L, 7000)) {
        s.EngineOutput += 4;
    }
}

}  // namespace kelvaron
