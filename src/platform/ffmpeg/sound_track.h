#pragma once

#include <filesystem>

#include "platform/wave_file.h"

namespace kelvaron {

// The best sound stream of a media file, decoded whole into one 16-bit
// channel at the stream's own rate. No samples when the file has no sound
// stream or it cannot be decoded; a stream that breaks off keeps what was
// decoded before the break. Longer tracks are cut at kMaxSoundTrackSeconds, so
// that a stranger's file cannot fill the memory.
constexpr int kMaxSoundTrackSeconds = 600;
WaveSound ReadSoundTrack(const std::filesystem::path& file);

}  // namespace kelvaron
