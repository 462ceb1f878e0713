#include "input/pad_mapping.h"

#include <algorithm>
#include <cstdlib>

#include "common/common_util.h"
#include "input/keyboard.h"

namespace kelvaron {

namespace {

constexpr std::array<std::string_view, kPadAxisCount> kAxisNames{
    "leftx", "lefty", "rightx", "righty", "lefttrigger", "righttrigger"};
constexpr std::array<std::string_view, kPadButtonCount> kButtonNames{"a",
                                                                     "b",
                                                                     "x",
                                                                     "y",
                                                                     "back",
                                                                     "guide",
                                                                     "start",
                                                                     "leftstick",
                                                                     "rightstick",
                                                                     "leftshoulder",
                                                                     "rightshoulder",
                                                                     "dpup",
                                                                     "dpdown",
                                                                     "dpleft",
                                                                     "dpright",
                                                                     "misc1",
                                                                     "paddle1",
                                                                     "paddle2",
                                                                     "paddle3",
                                                                     "paddle4",
                                                                     "touchpad"};
constexpr std::array<std::string_view, 4> kRoleNames{"none", "power", "brake", "onehandle"};

// Band of `raw` on the travel from `from` to `to`: 0 inside the dead zone,
// then 1..count in equal parts up to `to` (and beyond it).
int32_t Band(int32_t raw, int32_t from, int32_t to, int32_t deadZone, int32_t count) {
    if (count <= 0) return 0;
    const int64_t direction = to >= from ? 1 : -1;
    const int64_t travelled = (static_cast<int64_t>(raw) - from) * direction;
    const int64_t span = (static_cast<int64_t>(to) - from) * direction;
    const int64_t dead = std::max<int64_t>(0, deadZone);
    if (travelled <= dead) return 0;
    if (span <= dead) return count;
    // Rounded up: the first reading past the dead zone is notch 1.
    const int64_t band = ((travelled - dead) * count + (span - dead) - 1) / (span - dead);
    return static_cast<int32_t>(std::min<int64_t>(band, count));
}

PostedInput Char(char c) {
    return {PostedInput::Kind::Char, static_cast<unsigned char>(c)};
}

}  // namespace

PadProfile DefaultPadProfile() {
    PadProfile p;
    p.axes[kPadRightTrigger] = {AxisRole::Power, 0, 32767, -32768, 1638};
    p.axes[kPadLeftTrigger] = {AxisRole::Brake, 0, 32767, -32768, 1638};
    p.buttons[kPadA] = Char('3');                                           // horn
    p.buttons[kPadB] = Char('r');                                           // emergency reset
    p.buttons[kPadX] = Char('4');                                           // buzzer
    p.buttons[kPadY] = PostedInput{PostedInput::Kind::KeyDown, kVkReturn};  // call-out
    p.buttons[kPadStart] = Char(' ');          // protection acknowledged
    p.buttons[kPadBack] = Char('7');           // doors of a one-man train
    p.buttons[kPadLeftShoulder] = Char('x');   // gear down
    p.buttons[kPadRightShoulder] = Char('s');  // gear up
    p.buttons[kPadUp] = Char('f');             // reverser forward
    p.buttons[kPadDown] = Char('b');           // reverser back
    p.buttons[kPadLeft] = Char('n');           // reverser neutral
    p.buttons[kPadRight] = Char('n');
    return p;
}

HandlePosition AxisPosition(const AxisBinding& b, int32_t raw, int32_t powerNotches,
                            int32_t brakeNotches) {
    HandlePosition position;
    switch (b.role) {
        case AxisRole::None:
            break;
        case AxisRole::Power:
            position.power = Band(raw, b.rest, b.full, b.deadZone, powerNotches);
            break;
        case AxisRole::Brake:
            position.brake = -Band(raw, b.rest, b.full, b.deadZone, brakeNotches);
            break;
        case AxisRole::OneHandle: {
            const bool towardPower = (raw >= b.rest) == (b.full >= b.rest);
            const int32_t power =
                towardPower ? Band(raw, b.rest, b.full, b.deadZone, powerNotches) : 0;
            const int32_t brake =
                towardPower ? 0 : Band(raw, b.rest, b.opposite, b.deadZone, brakeNotches);
            position.power = power;
            position.brake = -brake;
            break;
        }
    }
    return position;
}

std::string PositionText(const HandlePosition& position, int32_t brakeNotches) {
    if (!position.power && !position.brake) return "";
    if (position.brake && *position.brake < 0) {
        const int32_t step = -*position.brake;
        return step >= brakeNotches ? "EB" : "B" + ToDecimal(step);
    }
    if (position.power && *position.power > 0) return "P" + ToDecimal(*position.power);
    return "N";
}

std::string CodeText(const PostedInput& code) {
    if (code.kind == PostedInput::Kind::KeyDown) {
        return code.code == kVkReturn ? "key RETURN" : "key " + ToDecimal(code.code);
    }
    if (code.code == ' ') return "char space";
    return std::string("char ") + static_cast<char>(code.code);
}

std::optional<PostedInput> ParseCode(std::string_view text) {
    if (text.starts_with("char ")) {
        const std::string_view rest = text.substr(5);
        if (rest == "space") return Char(' ');
        if (rest.size() == 1 && rest[0] > ' ' && rest[0] < 0x7F) return Char(rest[0]);
        return std::nullopt;
    }
    if (text.starts_with("key ")) {
        const std::string_view rest = text.substr(4);
        if (rest == "RETURN") return PostedInput{PostedInput::Kind::KeyDown, kVkReturn};
        int32_t vk = 0;
        if (rest.empty() || rest.size() > 3) return std::nullopt;
        for (char c : rest) {
            if (c < '0' || c > '9') return std::nullopt;
            vk = vk * 10 + (c - '0');
        }
        if (vk < 1 || vk > 255) return std::nullopt;
        return PostedInput{PostedInput::Kind::KeyDown, vk};
    }
    return std::nullopt;
}

std::string_view PadAxisName(int axis) {
    return axis >= 0 && axis < kPadAxisCount ? kAxisNames[static_cast<size_t>(axis)] : "";
}

std::string_view PadButtonName(int button) {
    return button >= 0 && button < kPadButtonCount ? kButtonNames[static_cast<size_t>(button)] : "";
}

std::string_view AxisRoleName(AxisRole role) {
    return kRoleNames[static_cast<size_t>(role)];
}

std::optional<AxisRole> ParseAxisRole(std::string_view name) {
    for (size_t i = 0; i < kRoleNames.size(); ++i) {
        if (kRoleNames[i] == name) return static_cast<AxisRole>(i);
    }
    return std::nullopt;
}

}  // namespace kelvaron
