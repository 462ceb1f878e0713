#pragma once

#include <chrono>
#include <memory>

#include "platform/ffmpeg/restricted_input.h"
#include "platform/video_reader.h"

namespace kelvaron {

// Reads the picture stream of any video file FFmpeg can open, frame by frame.
// Frames are found by their time stamps, so a jump lands on exactly the frame
// asked for; playing on frame by frame decodes without jumping.
class FfmpegVideoReader : public VideoReader {
  public:
    // Opening a file (probing and counting its frames) may take `openTimeLimit`;
    // decoding it afterwards is not limited.
    explicit FfmpegVideoReader(std::chrono::milliseconds openTimeLimit = kOpenTimeLimit);
    ~FfmpegVideoReader() override;
    FfmpegVideoReader(const FfmpegVideoReader&) = delete;
    FfmpegVideoReader& operator=(const FfmpegVideoReader&) = delete;

    bool Open(const std::filesystem::path& file) override;
    void Close() override;
    int32_t FrameCount() const override;
    double FramesPerSecond() const override;
    // Decoded from a reading of the file of its own: the picture stream's
    // place is untouched.
    WaveSound SoundTrack() override;
    bool DecodeFrameTo(int32_t n, const FrameTarget& into) override;
    bool DrawFrameTo(const FrameTarget& into) override;

    // Jumps within the file since it was opened.
    int32_t JumpCount() const;

  private:
    struct State;
    std::chrono::milliseconds openTimeLimit_;
    std::unique_ptr<State> state_;
};

}  // namespace kelvaron
