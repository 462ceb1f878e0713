#pragma once

#include <cstdint>
#include <filesystem>

#include "common/picture.h"
#include "platform/wave_file.h"

namespace kelvaron {

// Size of the cab-view picture every frame is scaled to.
constexpr int32_t kFrameWidth = 480;
constexpr int32_t kFrameHeight = 240;

// Reader of the cab-view video, frame by frame.
class VideoReader {
  public:
    virtual ~VideoReader() = default;
    // Opens the picture stream of a video file; false when there is none.
    virtual bool Open(const std::filesystem::path& file) = 0;
    virtual void Close() = 0;
    // Frames of the picture stream, -1 when nothing is open.
    virtual int32_t FrameCount() const = 0;
    // Frames per second of the picture stream as filmed (the run plays 30).
    virtual double FramesPerSecond() const { return 30; }
    // Decodes exactly frame n, scaled to 480 x 240, into `into`. Frames outside
    // 0 .. count-1 leave `into` unchanged and give false.
    virtual bool DecodeFrame(int32_t n, Picture& into) = 0;
    // Frames a second the picture stream is meant to be played at; 0 when
    // nothing is open.
    virtual double FramesPerSecond() const = 0;
    // The file's sound track decoded whole and mixed down to one channel; no
    // samples when there is none or nothing is open.
    virtual WaveSound SoundTrack() = 0;
};

}  // namespace kelvaron
