#pragma once

#include "sim/sim_context.h"

namespace kelvaron {

// The 33 ms physics tick: motor force, air brake, handle delays, frame advance,
// distance, clock and the preceding train, in that order. Returns true when a
// diesel gear change completed in this tick; the caller then redraws the handle
// display (masconupdate), which is window work the tick does not do itself.
bool MMTimer1Timer(SimContext& sim);

}  // namespace kelvaron
