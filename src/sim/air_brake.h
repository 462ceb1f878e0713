#pragma once

#include "sim/sim_context.h"

namespace kelvaron {

// Moves the brake pressures one tick towards what the brake notch in effect
// asks for, by the train's brake system ([BrakeType] 0 automatic, 1 stepped
// with straight-air pipe, 2 stepped on the cylinder alone), then the motor
// car's cylinder by [Mc]. A forced emergency overrides the handle.
void AirBrakeStep(SimContext& sim);

// Governs the compressor every 100 ms: it starts below [LowAirPress] with its
// start and running sounds, stops at [HighAirPress] with its end sound, and
// fills the main reservoir by 3 kPa/s while it runs.
void CompressorStep(SimContext& sim);

}  // namespace kelvaron
