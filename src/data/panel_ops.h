#pragma once

#include <cstdint>
#include <string_view>

#include "common/fixed4.h"
#include "common/picture.h"
#include "data/panel_model.h"
#include "data/train_config.h"

namespace kelvaron {

// Needle angle for a reading in the needle's unit: Round(ZeroAngle + Scale x reading),
// ties to even.
int32_t NeedleAngle(const Meter& meter, long double reading);

// Needle angle for a Fixed4 reading (pressures, the voltmeter), kept in the
// scaled form (Scale x value + ZeroAngle x 10000) / 10000 so the last digit,
// and with it the rounding of a tie, is that of the stored value.
int32_t NeedleAngleFixed4(const Meter& meter, Fixed4 value);

// Turns a needle to whole degrees, taken modulo 360 as the rotating picture
// does. A needle the panel does not have is skipped.
void SetNeedleAngle(PanelModel& panel, NeedleIndex needle, int32_t degrees);

// Draws entry `index` of an image list into a control. An entry the list does
// not hold draws nothing and leaves the control as it was.
void DrawImageListEntry(PanelModel& panel, PanelName name, const ImageList& list, int32_t index);

}  // namespace kelvaron
