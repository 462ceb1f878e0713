#pragma once

#include <cstdint>
#include <optional>

#include "run/run_context.h"
#include "sim/run_state.h"

namespace kelvaron {

// What the braking pattern aims at: a speed (km/h) at a distance ahead
// (1/100 m); kNone at distance 0 when nothing within range asks for one.
struct PatternTarget {
    int32_t speed = kNone;
    long double distance = 0;
};

// The first entry of the event table, in its own order, that restricts the
// train within 600 m: a stop aspect of a signal of type 2 to 5, or a speed
// limit.
PatternTarget FindPatternTarget(const RunContext& run);

// The braking pattern's curves at the train's place: the highest speed
// (km/h) from which the pattern would not yet brake, and the highest from
// which it would not yet warn. None without a target or a braking rate.
struct PatternCurves {
    long double brakeKmh = 0;
    long double warningKmh = 0;
};
std::optional<PatternCurves> PatternCurvesAt(const PatternTarget& target, Fixed4 brakeRate);

// The refresh calls these in this order, each on every refresh; each one acts
// only for the protection kind the train is fitted with.

// Cab signalling: brakes while the speed exceeds what the cab signal allows
// and lifts the brake when it no longer does.
void SuperviseCabSignal(RunContext& run);

// Warning ATS: the bell, the confirmation chime, the restriction lamps and the
// emergency brake when the alarm is not confirmed in time.
void RunAtsWarning(RunContext& run);

// Braking-pattern ATS: warns and then brakes when the train could no longer
// come down to the target speed in the distance left.
void RunAtsPattern(RunContext& run);

// Speed check points: passing one too fast rings the ATS bell.
void CheckSpeedPoints(RunContext& run);

// The vigilance device: rings after a minute of running without a driver
// action and brakes five seconds later.
void RunVigilanceDevice(RunContext& run);

}  // namespace kelvaron
