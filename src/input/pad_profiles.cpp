#include "input/pad_profiles.h"

#include <sstream>

#include "common/common_util.h"

namespace kelvaron {

namespace {

std::string AxisKey(int axis) {
    return "axis/" + std::string(PadAxisName(axis));
}

std::string ButtonKey(int button) {
    return "button/" + std::string(PadButtonName(button));
}

std::optional<AxisBinding> ParseBinding(const std::string& text) {
    std::istringstream in(text);
    std::string role;
    AxisBinding b;
    if (!(in >> role >> b.rest >> b.full >> b.opposite >> b.deadZone)) return std::nullopt;
    std::string extra;
    if (in >> extra) return std::nullopt;
    const std::optional<AxisRole> parsed = ParseAxisRole(role);
    if (!parsed || b.deadZone < 0) return std::nullopt;
    b.role = *parsed;
    return b;
}

}  // namespace

const PadProfile& PadProfiles::For(const std::string& guid) const {
    static const PadProfile kDefault = DefaultPadProfile();
    auto it = profiles_.find(guid);
    return it == profiles_.end() ? kDefault : it->second;
}

std::map<std::string, std::string> ProfileEntries(const PadProfile& profile) {
    std::map<std::string, std::string> entries;
    for (int a = 0; a < kPadAxisCount; ++a) {
        const AxisBinding& b = profile.axes[static_cast<size_t>(a)];
        entries[AxisKey(a)] = std::string(AxisRoleName(b.role)) + ' ' + ToDecimal(b.rest) + ' ' +
                              ToDecimal(b.full) + ' ' + ToDecimal(b.opposite) + ' ' +
                              ToDecimal(b.deadZone);
    }
    for (int n = 0; n < kPadButtonCount; ++n) {
        const auto& code = profile.buttons[static_cast<size_t>(n)];
        entries[ButtonKey(n)] = code ? CodeText(*code) : "";
    }
    return entries;
}

PadProfile ProfileFromEntries(const std::map<std::string, std::string>& entries) {
    PadProfile profile = DefaultPadProfile();
    for (int a = 0; a < kPadAxisCount; ++a) {
        auto it = entries.find(AxisKey(a));
        if (it == entries.end()) continue;
        if (auto b = ParseBinding(it->second)) profile.axes[static_cast<size_t>(a)] = *b;
    }
    for (int n = 0; n < kPadButtonCount; ++n) {
        auto it = entries.find(ButtonKey(n));
        if (it == entries.end()) continue;
        if (it->second.empty()) {
            profile.buttons[static_cast<size_t>(n)].reset();
        } else if (auto code = ParseCode(it->second)) {
            profile.buttons[static_cast<size_t>(n)] = *code;
        }
    }
    return profile;
}

}  // namespace kelvaron
