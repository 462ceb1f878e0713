#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvaron {

// Read-only per-user controller settings (integer values by name).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // False when the store cannot be opened at all.
    virtual bool OpenKey() = 0;
    // Empty when the value is missing or not an integer.
    virtual std::optional<int32_t> ReadInt(std::string_view name) = 0;
};

}  // namespace kelvaron
