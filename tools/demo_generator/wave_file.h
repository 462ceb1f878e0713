#pragma once

#include <filesystem>
#include <vector>

namespace kelvaron::demo {

constexpr int kSampleRate = 22050;

// Writes samples (-1..1, clipped) as a 16-bit PCM mono WAVE file at 22050 Hz,
// creating the folders. False when the file cannot be written.
bool WriteWave(const std::filesystem::path& file, const std::vector<float>& samples);

}  // namespace kelvaron::demo
