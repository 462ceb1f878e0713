#pragma once

#include <string>

#include "data/panel_model.h"

namespace kelvaron {

// The panel model as JSON, for inspecting a built cab without a display:
//   {"controls": [{"name", "kind" ("image" | "label" | "needle"), "left", "top",
//                  "width", "height", "visible", "transparent",
//                  "picture" ("WxH" or null), "angle" (needles), "text" (labels)}, ...],
//    "clock": null | {"hour": [x1, y1, x2, y2], "minute": [...], "second": [...]}}
// Controls are listed in drawing order, the first drawn first.
std::string PanelModelToJson(const PanelModel& panel);

}  // namespace kelvaron
