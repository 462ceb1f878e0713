#pragma once

#include <filesystem>
#include <future>
#include <memory>
#include <string>

#include "platform/video_reader.h"

namespace kelvaron {

// The FFmpeg video reader, loaded from its module on a thread of its own from
// the moment this object is made. FFmpeg and the hundred libraries it pulls in
// take longer to load than the rest of a headless start-up, so the load runs
// while start-up reads the data files, and only opening the video waits for it.
class VideoOnDemand : public VideoReader {
  public:
    VideoOnDemand();
    ~VideoOnDemand() override;
    VideoOnDemand(const VideoOnDemand&) = delete;
    VideoOnDemand& operator=(const VideoOnDemand&) = delete;

    bool Open(const std::filesystem::path& file) override;
    void Close() override;
    int32_t FrameCount() const override;
    double FramesPerSecond() const override;
    WaveSound SoundTrack() override;
    bool DecodeFrameTo(int32_t n, const FrameTarget& into) override;

    // Why the module could not be loaded; empty when it was, or is not needed yet.
    const std::string& LoadError() const { return error_; }

  private:
    struct Loaded {
        std::unique_ptr<VideoReader> reader;
        std::string error;
    };
    VideoReader* Reader();

    std::future<Loaded> loading_;
    std::unique_ptr<VideoReader> reader_;
    std::string error_;
};

}  // namespace kelvaron
