#pragma once

#include <cstdint>

#include "run/run_context.h"

namespace kelvaron {

// True while `frame` lies less than `window` frames past `point` (and is past
// it at all). Taken in 64 bits, so no frame number of a data file overflows.
bool JustPast(int32_t frame, int32_t point, int64_t window);

// Signal image index (0..21 of SignalImageList) of a signal type showing a raw
// aspect (0 R, 1 YY, 2 Y, 3 YG, 4 G). Types beyond the table use its last row;
// aspects outside 0..4 count as the nearest end of the scale.
int32_t SignalImageFor(int32_t type, int32_t aspect);

// Refresh step: every signal's raw aspect from the place of the preceding
// train. The block it occupies shows R and the block signals behind it Y
// then G; repeaters repeat the signal ahead.
void UpdateBlockAspects(RunContext& run);

// Refresh step, right after the block aspects: signals held at a fixed
// aspect, for good or until their time of day.
void ApplyFixedAspects(RunContext& run);

// Refresh step: shows the signal ahead (picture and name, or the cab-signal
// lamps) and handles each signal's alarm, limit and signal points.
void ProcessSignals(RunContext& run);

}  // namespace kelvaron
