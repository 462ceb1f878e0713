#include "sim/air_brake.h"

#include <cstdint>

#include "common/fixed4.h"

namespace kelvaron {
namespace {

// Brake pipe pressure of a charged automatic brake, and the ceiling of the
// stepped brake's pipe, in kPa.
constexpr int32_t kAutomaticPipeFull = 490;
constexpr int32_t kSteppedPipeCeiling = 500;

// A stepped brake stops filling within this much (Fixed4 kPa) below its target.
constexpr long double kStepMargin = 10.0L * kFixed4Scale;

constexpr Fixed4 Kpa(int64_t kpa) {
    return kpa * kFixed4Scale;
}

void Raise(Fixed4& pressure, long double kpa) {
    pressure = Round(pressure + kpa * kFixed4Scale);
}
void Lower(Fixed4& pressure, long double kpa) {
    pressure = Round(pressure - kpa * kFixed4Scale);
}
void Floor(Fixed4& pressure) {
    if (pressure < 0) pressure = 0;
}

// Release in three bands: D/30 above `high`, D/60 down to `low`, D/120 below;
// each test sees the value the one before left. `boundaryBelongsAbove` puts a
// pressure exactly on a boundary into the faster band.
void ReleaseInBands(Fixed4& pressure, int32_t high, int32_t low, long double down,
                    bool boundaryBelongsAbove) {
    auto above = [&](int32_t bound) {
        return boundaryBelongsAbove ? pressure >= Kpa(bound) : pressure > Kpa(bound);
    };
    if (above(high)) Lower(pressure, down / 30);
    if (above(low) && !above(high)) Lower(pressure, down / 60);
    if (!above(low)) Lower(pressure, down / 120);
}

bool EmergencyForced(const RunState& s) {
    return s.ForcedEB || s.SpeedCheckEB;
}

// Brake pipe level (Fixed4) at which the stepped brake's cylinder may release
// and the motor car's electric brake may hold: one step below full.
long double PipeChargedLevel(const TrainConfig& t) {
    return (t.EBPress - static_cast<long double>(t.EBPress) / t.Brake) * kFixed4Scale;
}

void AutomaticEmergency(RunState& s, const TrainConfig& t) {
    const long double up = t.BrakeUp, down = t.BrakeDown;
    if (s.BcPressure < Kpa(t.EBPress)) {
        Raise(s.BcPressure, up / 9);
        Lower(s.MrPressure, up / 99);
        Lower(s.SapPressure, down / 90);
    }
    Lower(s.BpPressure, up / 18);
    Floor(s.SapPressure);
    Floor(s.BpPressure);
}

// The cylinder follows the brake pipe's reduction, 2.5 times over.
void AutomaticBrake(RunState& s, const TrainConfig& t) {
    const long double up = t.BrakeUp, down = t.BrakeDown;
    if (EmergencyForced(s)) {
        AutomaticEmergency(s, t);
        return;
    }
    switch (s.EffectiveBrake) {
        case 0:  // release and running: the pipe recharges from the reservoir
            if (s.BcPressure < s.BpPressure) Lower(s.BcPressure, down / 30);
            Raise(s.BpPressure, down / 30 / 2.5L);
            Floor(s.BcPressure);
            if (s.BpPressure > Kpa(kAutomaticPipeFull)) {
                s.BpPressure = Kpa(kAutomaticPipeFull);
            } else {
                Lower(s.MrPressure, up / 600);
            }
            break;
        case -1:  // maintain
            if (s.BpPressure < Kpa(kAutomaticPipeFull)) {
                Raise(s.BpPressure, down / 30 / 2.5L);
                Lower(s.MrPressure, up / 600);
            }
            break;
        case -3:  // apply
            if (s.BcPressure < Kpa(t.EBPress) &&
                s.BcPressure <
                    (Kpa(kAutomaticPipeFull) - static_cast<long double>(s.BpPressure)) * 2.5L) {
                Raise(s.BcPressure, up / 30);
                Lower(s.SapPressure, up / 90);
            }
            Lower(s.BpPressure, up / 75);
            Floor(s.BpPressure);
            Floor(s.SapPressure);
            break;
        case -4:
            AutomaticEmergency(s, t);
            break;
        default:  // -2 hold (lap): nothing moves
            break;
    }
}

void SteppedWithPipe(RunState& s, const TrainConfig& t) {
    const long double up = t.BrakeUp, down = t.BrakeDown;
    const int64_t n = t.Brake;
    const long double charged = PipeChargedLevel(t);
    if (EmergencyForced(s)) {
        if (s.BcPressure < Kpa(t.EBPress)) {
            Raise(s.BcPressure, up / 15);
            Lower(s.MrPressure, up / 150);
        }
        Lower(s.BpPressure, up / 10);
        Lower(s.SapPressure, up / 10);
        Floor(s.BpPressure);
        Floor(s.SapPressure);
    } else {
        if (-n < s.SapNotch && s.SapNotch < 0) {
            const long double target =
                static_cast<long double>(t.SAPPress) / (n - 1) * -s.SapNotch * kFixed4Scale;
            if (s.SapPressure + kStepMargin < target) Raise(s.SapPressure, up / 30 / 1.5L);
            if (s.SapPressure > target) Lower(s.SapPressure, down / 30 / 1.5L);
        }
        if (-n < s.EffectiveBrake && s.EffectiveBrake < 0) {
            const long double target =
                static_cast<long double>(t.EBPress) / (n - 1) * -s.EffectiveBrake * kFixed4Scale;
            if (s.BcPressure + kStepMargin < target) {
                Raise(s.BcPressure, up / 30 / 1.5L);
                Lower(s.MrPressure, up / 300);
            }
            if (s.BcPressure > target && s.BpPressure >= charged) {
                Lower(s.BcPressure, down / 30 / 1.5L);
            }
            Floor(s.BcPressure);
            Floor(s.SapPressure);
        }
        if (s.EffectiveBrake == -n) {
            if (s.BcPressure < Kpa(t.EBPress)) {
                Raise(s.BcPressure, up / 30 * 3);
                Lower(s.MrPressure, up / 150);
            }
            Lower(s.BpPressure, up / 10);
            Lower(s.SapPressure, up / 10);
            Floor(s.BpPressure);
            Floor(s.SapPressure);
        }
        if (s.BcPressure > 0 && s.EffectiveBrake == 0 && s.BpPressure >= charged) {
            ReleaseInBands(s.BcPressure, 200, 100, down, false);
            ReleaseInBands(s.SapPressure, 200, 50, down, false);
            Floor(s.BcPressure);
            Floor(s.SapPressure);
        }
    }
    // The pipe recharges in every position but EB.
    if (s.EffectiveBrake >= 1 - n) {
        Raise(s.BpPressure, down / 150);
        if (s.BpPressure > Kpa(kSteppedPipeCeiling)) s.BpPressure = Kpa(kSteppedPipeCeiling);
    }
}

void SteppedCylinder(RunState& s, const TrainConfig& t) {
    const long double up = t.BrakeUp, down = t.BrakeDown;
    const int64_t n = t.Brake;
    const bool emergency = EmergencyForced(s) || s.EffectiveBrake == -n;
    if (!EmergencyForced(s) && -n < s.EffectiveBrake && s.EffectiveBrake < 0) {
        const long double target =
            static_cast<long double>(t.EBPress) / n * -s.EffectiveBrake * kFixed4Scale;
        if (s.BcPressure + kStepMargin < target) {
            Raise(s.BcPressure, up / 30 / 1.5L);
            Lower(s.MrPressure, up / 300);
        }
        if (s.BcPressure > target) Lower(s.BcPressure, down / 30 / 1.5L);
        Floor(s.BcPressure);
    }
    if (emergency && s.BcPressure < Kpa(t.EBPress)) Raise(s.BcPressure, up / 30 * 1.3L);
    if (!EmergencyForced(s) && s.BcPressure > 0 && s.EffectiveBrake == 0) {
        ReleaseInBands(s.BcPressure, 200, 100, down, true);
        Floor(s.BcPressure);
    }
}

// The motor car's cylinder stays at 50 kPa while its electric brake carries
// the braking (above [Lose_elec]); the BC gauge shows this cylinder.
void MotorCarCylinder(RunState& s, const TrainConfig& t) {
    if (t.Mc == 0) {
        s.McBcPressure = s.BcPressure;
        return;
    }
    if (t.Mc != 1) return;
    const Fixed4 fadeSpeed = int64_t{t.Lose_elec} * kFixed4Scale;
    const bool electricBrakeHolds = s.BpPressure >= PipeChargedLevel(t) &&
                                    s.EffectiveBrake != -int64_t{t.Brake} && s.Speed >= fadeSpeed &&
                                    (s.Speed == fadeSpeed || s.BcPressure >= Kpa(50));
    const Fixed4 target = electricBrakeHolds ? Kpa(50) : s.BcPressure;
    const long double step = static_cast<long double>(t.BrakeUp) / 30 / 1.5L;
    if (s.McBcPressure < target) Raise(s.McBcPressure, step);
    if (s.McBcPressure > target) Lower(s.McBcPressure, step);
}

}  // namespace

void AirBrakeStep(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    switch (t.BrakeType) {
        case 0:
            AutomaticBrake(s, t);
            break;
        case 1:
            SteppedWithPipe(s, t);
            break;
        case 2:
            SteppedCylinder(s, t);
            break;
        default:
            break;
    }
    MotorCarCylinder(s, t);
}

void CompressorStep(SimContext& sim) {
    RunState& s = sim.state;
    const TrainConfig& t = sim.train;
    if (s.MrPressure < Kpa(t.LowAirPress) && !s.CompressorOn) {
        Restart(sim.mixer, t.CP_Start);
        sim.mixer.Stop(t.CP_Cnt);
        sim.mixer.PlayLooped(t.CP_Cnt);
        s.CompressorOn = true;
    }
    if (s.CompressorOn && s.MrPressure >= Kpa(t.HighAirPress)) {
        Restart(sim.mixer, t.CP_End);
        sim.mixer.Stop(t.CP_Cnt);
        s.CompressorOn = false;
    }
    if (s.CompressorOn) Raise(s.MrPressure, 0.3L);
}

}  // namespace kelvaron
