#pragma once

#include <map>
#include <string>

#include "platform/settings_store.h"

namespace kelvaron {

// Settings held in memory: tests and the headless runner fill them directly.
class MemorySettingsStore : public SettingsStore {
  public:
    std::map<std::string, int32_t, std::less<>> values;
    bool keyExists = true;

    bool OpenKey() override { return keyExists; }
    std::optional<int32_t> ReadInt(std::string_view name) override {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Contains(std::string_view name) override { return values.contains(name); }
    void WriteInt(std::string_view name, int32_t value) override {
        values.insert_or_assign(std::string(name), value);
    }
};

}  // namespace kelvaron
