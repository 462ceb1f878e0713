#pragma once

#include "run/run_context.h"

namespace kelvaron {

// Refresh step: one gradient sample per 20 m of travel, one slot per car; the
// train feels the mean gradient under its length.
void GradientSampling(RunContext& run);

// Refresh step: the gradient sign and text of the section the train is in.
void GradientSections(RunContext& run);

}  // namespace kelvaron
