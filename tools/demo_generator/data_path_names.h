#pragma once

#include <filesystem>
#include <string_view>

namespace kelvaron::demo {

// Where a file named inside a data file ("cab\\1000\\panel.bmp") goes in the
// output folder.
std::filesystem::path DataFile(const std::filesystem::path& outDir, std::string_view name);

}  // namespace kelvaron::demo
