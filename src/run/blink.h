#pragma once

#include "data/panel_model.h"

namespace kelvaron {

// Blinks a control with a one-second period of 100 ms refreshes: hidden at
// counts that are a multiple of 5 but not of 10, shown at multiples of 10.
inline void Blink(PanelModel& panel, PanelName name, int32_t refreshCount) {
    if (refreshCount % 10 == 0)
        panel.SetVisible(name, true);
    else if (refreshCount % 5 == 0)
        panel.SetVisible(name, false);
}

}  // namespace kelvaron
