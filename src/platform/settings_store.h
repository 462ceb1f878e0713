#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvaron {

// Per-user controller settings (integer values by name).
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // False when the store cannot be opened at all.
    virtual bool OpenKey() = 0;
    // Empty when the value is missing or not an integer.
    virtual std::optional<int32_t> ReadInt(std::string_view name) = 0;
    // Whether the store holds a value of that name, integer or not.
    virtual bool Contains(std::string_view name) = 0;
    virtual void WriteInt(std::string_view name, int32_t value) = 0;
};

}  // namespace kelvaron
