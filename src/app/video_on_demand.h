#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/video_facts_cache.h"
#include "platform/video_reader.h"

namespace kelvaron {

// The FFmpeg video reader, loaded from its module only when a video must be
// read. FFmpeg and the hundred libraries it pulls in take longer to load than
// the rest of a headless start-up, and a run without pictures needs only the
// video's frame count and rate: for a video opened before, those come from
// the cache and the module is never loaded.
class VideoOnDemand : public VideoReader {
  public:
    explicit VideoOnDemand(VideoFactsCache cache = {});
    ~VideoOnDemand() override;
    VideoOnDemand(const VideoOnDemand&) = delete;
    VideoOnDemand& operator=(const VideoOnDemand&) = delete;

    bool Open(const std::filesystem::path& file) override;
    void Close() override;
    int32_t FrameCount() const override;
    double FramesPerSecond() const override;
    WaveSound SoundTrack() override;
    bool DecodeFrameTo(int32_t n, const FrameTarget& into) override;
    bool DrawFrameTo(const FrameTarget& into) override;

    // Why the module could not be loaded; empty when it was, or is not needed yet.
    const std::string& LoadError() const { return error_; }

  private:
    VideoReader* Reader();
    // The reader with the open video in it, loading and opening on first use.
    VideoReader* OpenReader();

    VideoFactsCache cache_;
    bool loaded_ = false;
    std::unique_ptr<VideoReader> reader_;
    std::string error_;
    std::filesystem::path file_;
    std::optional<VideoFacts> facts_;  // of the open video
    bool readerOpen_ = false;
};

}  // namespace kelvaron
