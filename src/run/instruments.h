#pragma once

#include "run/run_context.h"

namespace kelvaron {

// Refresh steps of the cab instruments, in the order the refresh calls them.

// Needles (speed, pressures, voltmeter, ammeter) and the speed read-out.
// The speed needle rests above 160 km/h and while creeping backwards below
// 1 km/h.
void UpdateNeedles(RunContext& run);

// Power, generating, electric-brake and air-brake lamps, and brings every
// [Others] picture into view.
void UpdatePanelLamps(RunContext& run);

// Slides the timetable card 30 pixels in or out, as the driver asked.
void SlideTimetableCard(RunContext& run);

// Moves the voltmeter and ammeter readings towards their goals in steps, as
// a needle with inertia would.
void SmoothMeters(RunContext& run);

// Shows the engaged gear while powering, and lets the gear fall back to the
// converter stage below 25 km/h.
void UpdateGearLamp(RunContext& run);

}  // namespace kelvaron
