#pragma once

#include "run/run_context.h"

namespace kelvaron {

// Refresh step: once the doors have closed and their sounds have ended, the
// doors-closed lamp lights, traction may return and the departure signal sounds.
void DoorClosingAndDepartureSignal(RunContext& run);

// Refresh step: the next-station text, the stop marker, the conductor's doors,
// the departure melody and the next stopping target.
void Stations(RunContext& run);

// Refresh step: the stop alert near a stop, with its blinking lamp.
void StopAlert(RunContext& run);

}  // namespace kelvaron
