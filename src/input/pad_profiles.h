#pragma once

#include <map>
#include <string>

#include "input/pad_mapping.h"

namespace kelvaron {

// Each game controller's own table, by the device's GUID. A device without a
// saved table uses the default one.
class PadProfiles {
  public:
    const PadProfile& For(const std::string& guid) const;
    bool Has(const std::string& guid) const { return profiles_.count(guid) != 0; }
    void Set(const std::string& guid, PadProfile profile) { profiles_[guid] = std::move(profile); }
    const std::map<std::string, PadProfile>& All() const { return profiles_; }

  private:
    std::map<std::string, PadProfile> profiles_;
};

// A table as the settings store keeps it: "axis/<name>" = "<role> <rest> <full>
// <opposite> <dead zone>" and "button/<name>" = a code ("char z") or "" for no
// key, every input named as SDL names it.
std::map<std::string, std::string> ProfileEntries(const PadProfile& profile);
// Back from the store: an entry that is missing or cannot be read keeps the
// default table's value, so a hand-edited file never loses the device.
PadProfile ProfileFromEntries(const std::map<std::string, std::string>& entries);

}  // namespace kelvaron
