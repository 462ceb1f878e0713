#pragma once

#include <filesystem>
#include <string_view>

namespace kelvaron {

// A file name as the data files write it, resolved against the data folder:
// "\" separates folders, and when a name does not exist as written the
// case-insensitive match in its folder is used (the files were made on a
// case-insensitive system). When nothing matches, the path as written is returned.
std::filesystem::path ResolveDataPath(const std::filesystem::path& dataDir, std::string_view name);

}  // namespace kelvaron
