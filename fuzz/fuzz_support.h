#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kelvaron::fuzz {

// The data folder of one fuzzing process: the test fixtures, a short WAVE
// sound, a pipe, and a run-length bitmap whose header claims 5790 x 5790
// pixels, so that mutated names reach the kinds of file a stranger's folder
// may hold. Made on first use, removed when the process ends.
const std::filesystem::path& DataFolder();

// Writes the input as `name` in the data folder and returns its path.
std::filesystem::path WriteInput(std::string_view name, const uint8_t* data, size_t size);

}  // namespace kelvaron::fuzz
