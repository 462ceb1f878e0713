#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/optical_flow.h"
#include "platform/video_reader.h"
#include "studio/track_flow.h"

namespace kelvaron {

// Told how many frames are done out of how many; returns false to stop.
using FlowProgress = std::function<bool(int32_t done, int32_t total)>;

// Reads every frame of the open video in order (decoding one frame ahead on a
// thread of its own while the flow of the last one is measured) and keeps the
// track bed's motion. Empty with a reason when the video cannot be read or the
// work was stopped.
std::optional<FlowRecord> AnalyseFlow(VideoReader& video, OpticalFlow& flow,
                                      const FlowProgress& progress, std::string& error);

// The record kept beside a video ("VIDEO.kelvaron-flow"), valid while the
// video's size and time stamp are those it was made from.
std::filesystem::path FlowCachePath(const std::filesystem::path& video);
std::optional<FlowRecord> LoadFlowCache(const std::filesystem::path& video);
// False when the folder cannot be written: the work is then only not kept.
bool SaveFlowCache(const std::filesystem::path& video, const FlowRecord& record);

// The cached record, or a new analysis of the video file kept for next time.
std::optional<FlowRecord> FlowOfVideo(const std::filesystem::path& file, VideoReader& video,
                                      OpticalFlow& flow, const FlowProgress& progress,
                                      std::string& error);

}  // namespace kelvaron
