#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "run/run_context.h"

namespace kelvaron {

// The value window as a model: its caption, the captions of its figures with
// their formatted values, and the three force bars. The window shows what
// this holds; the refresh rewrites it only while the window is visible.
struct ValueWindowModel {
    static constexpr int kRows = 18;
    static constexpr int32_t kBarLimit = 500000;  // newtons at either end of a bar

    std::string caption = "Value Display";
    std::string barCaption = "Brake               0               Power";
    std::array<std::string, kRows> captions{"Speed",
                                            "Accelaration",
                                            "Slope",
                                            "Wheel statement",
                                            "Power",
                                            "Resistance",
                                            "Adhesive coefficient",
                                            "Adhesive limit(P)",
                                            "Adhesive limit(B)",
                                            "BC Pressure",
                                            "SAP Pressure",
                                            "ER Pressure",
                                            "MR Pressure",
                                            "Frame",
                                            "Projected",
                                            "Next station",
                                            "Remain",
                                            "Total"};
    std::array<std::string, kRows> values{};
    // The number each figure was last written from, so that one which has
    // not changed is not written again (empty: not yet written).
    std::array<std::optional<int64_t>, kRows> writtenFrom{};
    // Tractive force, adhesion limit in power, adhesion limit in braking (N),
    // each within -kBarLimit .. kBarLimit.
    std::array<int32_t, 3> bars{};
};

// Refresh step: rewrites every figure and bar from the run state when the
// window is shown; does nothing while it is hidden.
void UpdateValueWindow(RunContext& run, ValueWindowModel& window);

}  // namespace kelvaron
