#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QSettings;

namespace kelvaron {

// The program's own settings beside the controller codes, in QSettings'
// native format: on Linux $XDG_CONFIG_HOME/Kelvaron/kelvaron.conf
// (~/.config/Kelvaron/kelvaron.conf).
std::unique_ptr<QSettings> OpenProgramSettings();

// The folder those settings live in, where the user's own game-controller
// mappings (gamecontrollerdb.txt) go too.
std::filesystem::path SettingsFolder();

// The line folders opened lately, most recent first, as last written.
std::vector<std::string> ReadRecentFolders();
void WriteRecentFolders(const std::vector<std::string>& folders);
// A folder was opened: it goes to the top of the recent list.
void RememberFolder(const std::filesystem::path& folder);

}  // namespace kelvaron
