#pragma once

#include <filesystem>
#include <string>

namespace kelvaron {

// A file's content as 16 hex digits (64-bit FNV-1a of its bytes): enough to
// tell that a file has changed. Empty when the file cannot be read.
std::string FileContentHash(const std::filesystem::path& file);

}  // namespace kelvaron
