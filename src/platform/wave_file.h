#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kelvaron {

// A WAVE file decoded whole and mixed down to one channel.
struct WaveSound {
    std::vector<int16_t> samples;
    int32_t rate = 0;
};

// Reads a WAVE file. The frame count in its header is not trusted: decoding
// stops where the data does. Anything that is not a readable WAVE file gives
// no samples.
WaveSound ReadWaveMono(const std::filesystem::path& file);

// Frames and rate of a WAVE file, as ReadWaveMono would give them, without
// decoding the whole file: the header's frame count is taken once the last
// frame it promises has been read. Zero frames for anything ReadWaveMono
// would give no samples.
struct WaveLength {
    int64_t frames = 0;
    int32_t rate = 0;
};
WaveLength ReadWaveLength(const std::filesystem::path& file);

}  // namespace kelvaron
