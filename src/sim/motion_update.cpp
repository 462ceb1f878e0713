#include "sim/motion_update.h"

#include <cmath>
#include <cstdint>

#include "sim/field_store.h"

namespace kelvaron {
namespace {

constexpr long double kGravity = 9.8L;

// Brake-shoe friction coefficient at x km/h.
long double ShoeFriction(long double x) {
    return 0.32L * (1 + 0.01L * x) / (1 + 0.05L * x);
}

}  // namespace

void MotionUpdate(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    const long double v = static_cast<long double>(s.Speed) / kFixed4Scale;
    const long double speedMagnitude = std::fabs(v);
    const Fixed4 fadeSpeed = int64_t{t.Lose_elec} * kFixed4Scale;
    const long double tons = t.Tons;

    // Below the speed where the electric brake fades the shoes carry the
    // braking, and their friction grows as the train slows.
    s.BrakeRateNow = t.BrakeRate;
    if (s.Speed > 0 && s.Speed < fadeSpeed) {
        StoreRounded(s.BrakeRateNow, t.BrakeRate * ShoeFriction(v) / ShoeFriction(t.Lose_elec));
    }
    if (speedMagnitude < 1) StoreRounded(s.BrakeRateNow, s.BrakeRateNow * 0.5L);

    // Brake force: BrakeRateNow km/h/s at full [EBPress], proportional to the
    // cylinder, always against the motion; worked at 10^8 times the force.
    if (s.BcPressure > 0) {
        const long double brake = static_cast<long double>(s.BrakeRateNow) * s.BcPressure /
                                  t.EBPress / 3.6L * t.Tons * 1000;
        const long double scaled = s.TractiveForce * 1e8L;
        if (s.Speed > 0) StoreRounded(s.TractiveForce, (scaled - brake) / 1e8L);
        if (s.Speed < 0) StoreRounded(s.TractiveForce, (scaled + brake) / 1e8L);
        // The electric brake's current swings the ammeter backwards.
        if (s.Speed > fadeSpeed && s.EffectiveBrake != -int64_t{t.Brake} && !s.ForcedEB) {
            s.MotorForce = s.TractiveForce;
        }
    }

    StoreRounded(s.Adhesion,
                 s.AdhesionBase * (1 + 0.05L * speedMagnitude) / (1 + 0.1L * speedMagnitude));

    // Gradient: uphill pulls back, downhill pushes forward, whichever way the
    // train moves. slopeHyp is 1000 / cos(theta) for a slope in permil.
    const long double slope = s.Slope;
    const long double slopeHyp = std::sqrt((slope * slope + 1e14L) / 1e8L);
    StoreRounded(s.ResistForce, s.ResistForce + tons * kGravity * 1000 * slope / slopeHyp * (-1) /
                                                    tons * 0.0036L / 36000 * tons * 1000);

    // Wheel spin under power is judged against the motor cars' weight, a skid
    // under braking against the whole train's.
    const long double cosTheta = 1000 / slopeHyp;
    const long double adhesion = static_cast<long double>(s.Adhesion) / kFixed4Scale;
    const long double trainKg = tons / kFixed4Scale * 1000;
    const long double motorKg = static_cast<long double>(t.Mt) / kFixed4Scale * 1000;
    if (s.PowerNotch > 0 &&
        s.TractiveForce > adhesion * motorKg * kGravity * cosTheta * kFixed4Scale) {
        StoreRounded(s.TractiveForce, adhesion / 2 * motorKg * kGravity * kFixed4Scale);
        s.WheelState = "Racing";
    } else if (s.BrakeNotch < 0 && -static_cast<long double>(s.TractiveForce) >
                                       adhesion * trainKg * kGravity * cosTheta * kFixed4Scale) {
        StoreRounded(s.TractiveForce, -adhesion * trainKg * kGravity * kFixed4Scale);
        s.WheelState = "Sliding";
    } else {
        s.WheelState = "Normal";
    }

    // Starting resistance where the gradient pushes: 8 kgf/t at standstill,
    // none at 8 km/h.
    if (speedMagnitude < 8 && s.ResistForce > 0) {
        if (s.Speed > 0) StoreRounded(s.ResistForce, s.ResistForce - (8 - v) * kGravity * tons);
        if (s.Speed < 0) StoreRounded(s.ResistForce, s.ResistForce + (8 - v) * kGravity * tons);
    }

    // Running resistance in kgf.
    const long double resistanceKgf =
        (1.32L + 0.0164L * speedMagnitude) * tons / kFixed4Scale +
        (0.028L + 0.0078L * (static_cast<long double>(t.Cars) - 1)) * v * v;
    const long double resistance = resistanceKgf * kGravity * kFixed4Scale;
    if (s.Speed > 1000) StoreRounded(s.ResistForce, s.ResistForce - resistance);
    if (s.Speed < -1000) StoreRounded(s.ResistForce, s.ResistForce + resistance);

    // The hold brake cancels the downhill push.
    if (s.ResistForce > 0 && s.HoldPosition && s.Slope < 0) {
        s.TractiveForce = Round(static_cast<long double>(s.TractiveForce) - s.ResistForce);
    }

    // Change of speed (Fixed4 km/h) that a force makes in 0.1 s.
    auto speedChange = [&](Fixed4 force) { return force / (tons * 1000) * 3.6L / 10 * 10000; };
    StoreRounded(s.ProjectedSpeed, s.Speed + speedChange(s.TractiveForce));
    StoreRounded(s.ProjectedSpeed, s.ProjectedSpeed + speedChange(s.ResistForce));

    // A brake that would reverse the train stops it exactly. The resistance is
    // then not integrated either, or it would start the stopped train rolling.
    const long double tractive = s.TractiveForce, resist = s.ResistForce;
    const bool crossesZero = s.Speed > 0 ? s.ProjectedSpeed <= 0 : s.ProjectedSpeed >= 0;
    if (s.TractiveForce < 0 && std::fabs(resist) < std::fabs(tractive) && s.Speed != 0 &&
        crossesZero) {
        s.Speed = 0;
        s.TractiveForce = 0;
        return;
    }

    StoreRounded(s.Speed, s.Speed + speedChange(s.ResistForce));
    StoreRounded(s.Speed, s.Speed + speedChange(s.TractiveForce));
}

}  // namespace kelvaron
