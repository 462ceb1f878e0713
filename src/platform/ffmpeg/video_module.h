#pragma once

namespace kelvaron {

class VideoReader;

// The FFmpeg video reader built as a module of its own (kelvaron-video.so),
// for programs that load FFmpeg only when they open a video.
inline constexpr const char* kVideoModuleFile = "kelvaron-video.so";
inline constexpr const char* kVideoModuleFactory = "KelvaronCreateVideoReader";
using VideoModuleFactory = VideoReader* (*)();

}  // namespace kelvaron
