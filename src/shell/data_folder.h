#pragma once

#include <filesystem>
#include <string>

namespace kelvaron {

// What is wrong with the data folder as a whole, for one message naming it, or
// empty when it may be used: it must exist and hold at least one of the files
// a run is made of. A wrong folder is then reported once, instead of as every
// file it lacks.
std::string CheckDataFolder(const std::filesystem::path& dataDir);

}  // namespace kelvaron
