#pragma once

#include <filesystem>

namespace kelvaron {

// A folder of the user's by the XDG rule: the variable's value when it is an
// absolute path, otherwise `underHome` inside $HOME (e.g. ".cache").
std::filesystem::path UserFolder(const char* variable, const std::filesystem::path& underHome);

}  // namespace kelvaron
