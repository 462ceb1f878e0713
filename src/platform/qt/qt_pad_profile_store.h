#pragma once

#include <string>

#include "input/pad_profiles.h"

namespace kelvaron {

// The game controllers' tables in the program's settings (QSettings'
// native format: on Linux $XDG_CONFIG_HOME/Kelvaron/kelvaron.conf), one group
// a device under "GameControllers/<GUID>".
class QtPadProfileStore {
  public:
    PadProfiles Load() const;
    void Save(const std::string& guid, const PadProfile& profile);
};

}  // namespace kelvaron
