#pragma once

#include <cstdint>

#include "sim/sim_context.h"

namespace kelvaron {

// Ticks for which a diesel gear change interrupts traction.
constexpr int32_t kGearShiftTicks = 80;

// Adds the force of the electric notch in effect to TractiveForce, from that
// notch's tractive-effort curve. A notch without a curve gives no force.
void ElectricForce(SimContext& sim);

// Automatic gear selection (an "AT" gearbox) and the force of the engaged gear,
// scaled by the notch and the engine output. Gear stays within the gears the
// train has: a shift that would leave them is not made.
void DieselTractionStep(SimContext& sim);

// Counts one tick of a gear change in progress on the counter it shares with
// the power delay; true when the change completed (the new gear is engaged).
bool GearShiftStep(RunState& state);

// Engine speed and output of a diesel train, stepped every 100 ms.
void EngineOutputStep(SimContext& sim);

}  // namespace kelvaron
