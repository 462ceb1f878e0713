#pragma once

#include <memory>

#include "platform/settings_store.h"

class QSettings;

namespace kelvaron {

// The per-user controller settings through QSettings("Kelvaron",
// "dgcontroller"): on Linux ~/.config/Kelvaron/dgcontroller.conf, on Windows
// the registry key of the same name.
class QtSettingsStore : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;

    bool OpenKey() override;
    std::optional<int32_t> ReadInt(std::string_view name) override;
    bool Contains(std::string_view name) override;
    void WriteInt(std::string_view name, int32_t value) override;

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace kelvaron
