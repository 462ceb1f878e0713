#pragma once

#include "run/run_context.h"

namespace kelvaron {

// Refresh step: the speed-limit sign blinks while a limit is approached.
void SpeedLimitBlinking(RunContext& run);

// Refresh step: tunnels darken the cab (the second panel picture).
void Tunnels(RunContext& run);

// Refresh step: the limit sign on approach (warning) and inside a limit.
void SpeedLimits(RunContext& run);

// Refresh step: other signs and the time-check prompt.
void SignsAndTimeChecks(RunContext& run);

// Refresh step: the stop-line marker moves with the distance left to the stop.
void StopLineMarker(RunContext& run);

}  // namespace kelvaron
