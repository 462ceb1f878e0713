#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/posted_input.h"
#include "platform/game_controller.h"

namespace kelvaron {

// Standard buttons by SDL's numbering.
enum PadButton : int {
    kPadA = 0,
    kPadB = 1,
    kPadX = 2,
    kPadY = 3,
    kPadBack = 4,
    kPadStart = 6,
    kPadLeftShoulder = 9,
    kPadRightShoulder = 10,
    kPadUp = 11,
    kPadDown = 12,
    kPadLeft = 13,
    kPadRight = 14,
};
enum PadAxis : int {
    kPadLeftX = 0,
    kPadLeftY = 1,
    kPadRightX = 2,
    kPadRightY = 3,
    kPadLeftTrigger = 4,
    kPadRightTrigger = 5,
};

// What an axis of the layout drives.
enum class AxisRole { None, Power, Brake, OneHandle };

// How one axis moves a handle, in raw readings: `rest` is the handle's off
// position (neutral for one handle), `full` the last power notch (for a brake
// axis: EB), `opposite` EB of a one-handle axis. Readings within `deadZone` of
// `rest` count as rest; the rest of the travel is cut into equal bands, one a
// notch.
struct AxisBinding {
    AxisRole role = AxisRole::None;
    int32_t rest = 0;
    int32_t full = 32767;
    int32_t opposite = -32768;
    int32_t deadZone = 1638;
    bool operator==(const AxisBinding&) const = default;
};

// One device's table: a binding per axis and the driving key each button gives.
struct PadProfile {
    std::array<AxisBinding, kPadAxisCount> axes{};
    std::array<std::optional<PostedInput>, kPadButtonCount> buttons{};
    bool operator==(const PadProfile&) const = default;
};

// A game pad without a table of its own: the right trigger is the power
// handle, the left trigger the brake handle, and the face, shoulder and
// direction buttons give the common driving keys.
PadProfile DefaultPadProfile();

// What a handle input asks for: a power notch and a brake position (0
// released, -n step n, -brakeNotches EB), each only when the input sets it.
struct HandlePosition {
    std::optional<int32_t> power;
    std::optional<int32_t> brake;
    bool operator==(const HandlePosition&) const = default;
};

// The position an axis reading gives on a train with `powerNotches` notches
// and `brakeNotches` brake positions (EB the last).
HandlePosition AxisPosition(const AxisBinding& binding, int32_t raw, int32_t powerNotches,
                            int32_t brakeNotches);

// "P3", "B5", "EB", "N", or "" when the input sets no handle.
std::string PositionText(const HandlePosition& position, int32_t brakeNotches);

// A driving key as the runner's script writes it: "char z", "char space",
// "key RETURN", "key 116"; and back. Empty for text that is none.
std::string CodeText(const PostedInput& code);
std::optional<PostedInput> ParseCode(std::string_view text);

// The names SDL gives the standard inputs ("a", "dpup", "lefttrigger" ...).
std::string_view PadAxisName(int axis);
std::string_view PadButtonName(int button);
std::string_view AxisRoleName(AxisRole role);
std::optional<AxisRole> ParseAxisRole(std::string_view name);

}  // namespace kelvaron
