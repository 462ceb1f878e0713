#pragma once

#include <cstdint>

#include "data/panel_model.h"
#include "data/train_config.h"

namespace kelvaron {

// The hands of the clock face for a time of day in 1/30 s ticks: hour hand
// Round(0.6 R) long, minute and second hands R long, all from the centre of
// the 50 x 50 "clock" control.
ClockHands ComputeClockHands(int32_t ticks, int32_t radius);

// Draws the face into the panel's clock for the time of day. A clock placed at
// X or Y 0 (or less) is never drawn: the panel then has no analog clock.
void DrawClockFace(PanelModel& panel, const ClockFace& clock, int32_t ticks);

}  // namespace kelvaron
