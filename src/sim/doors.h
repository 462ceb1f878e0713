#pragma once

#include "sim/sim_context.h"

namespace kelvaron {

// The door command: at standstill (speed rounded to the whole km/h is 0) it
// opens closed doors at once with the opening sound, and on open doors starts
// the closing sound; the doors count as closed only once the station logic
// sees the command at 0 and the sounds ended. Moving, it does nothing.
void Door_operate(SimContext& sim);

}  // namespace kelvaron
