#pragma once

#include "sim/sim_context.h"

namespace kelvaron {

// Turns the forces into speed once per 100 ms refresh: adds the brake force
// made from the cylinder pressure, limits the force when the wheels spin or
// skid, adds gradient, low-speed term and running resistance, applies the hold
// brake and integrates the speed over 0.1 s. A braking train whose speed would
// cross zero stops exactly, and stays stopped for that update.
void MotionUpdate(SimContext& sim);

}  // namespace kelvaron
