#pragma once

#include <functional>

#include "run/run_context.h"

namespace kelvaron {

// Virtual-key codes the run window's key-down handler knows.
constexpr int kVkReturn = 13;
constexpr int kVkF1 = 112;
constexpr int kVkF2 = 113;
constexpr int kVkF3 = 114;
constexpr int kVkF5 = 116;
constexpr int kVkF6 = 117;
constexpr int kVkF7 = 118;
constexpr int kVkF8 = 119;
constexpr int kVkF9 = 120;
constexpr int kVkF10 = 121;
constexpr int kVkF11 = 122;
constexpr int kVkF12 = 123;
constexpr int kVkScroll = 145;

// Client height of the run window, against which the timetable card is placed.
constexpr int32_t kRunWindowClientHeight = 440;

// What the run window lends the key handlers. An unset hook does nothing.
struct InputHooks {
    std::function<void()> callout;  // the Enter key's call-out
};

// One typed character: all the driving keys. Letters act in lower case only.
void AsciiDown(RunContext& run, char key);

// One key-down: the window, call-out and test keys. `shiftOnly` is true when
// Shift and no other modifier is held.
void keydowns(RunContext& run, const InputHooks& hooks, int vk, bool shiftOnly);

// Wheel turned away from the user: one step toward brake, down to EB.
void WheelU(RunContext& run);

// Wheel turned toward the user: one step toward power.
void WheelD(RunContext& run);

}  // namespace kelvaron
