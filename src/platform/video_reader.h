#pragma once

#include <cstdint>
#include <filesystem>

#include "common/picture.h"
#include "platform/wave_file.h"

namespace kelvaron {

// Size of the cab-view picture the run logic and the headless runner see.
constexpr int32_t kFrameWidth = 480;
constexpr int32_t kFrameHeight = 240;

// Pixels past the end of each row of a frame target the scaler's vector code
// may write over; they must be memory of the caller's that it restores.
constexpr int32_t kFrameSpill = 16;

// Memory a frame is decoded straight into: 32-bit pixels 0xFFRRGGBB, rows
// `stride` bytes apart. A target without memory only decodes the frame: the
// window that shows it draws it (`DrawFrameTo`) when it paints, straight into
// the image it shows, so a shown frame is converted and scaled exactly once.
struct FrameTarget {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
};

// A picture's own pixels as a frame target.
inline FrameTarget TargetOf(Picture& picture) {
    return FrameTarget{reinterpret_cast<uint8_t*>(picture.pixels.data()), picture.width,
                       picture.height, picture.width * 4};
}

// Reader of the cab-view video, frame by frame.
class VideoReader {
  public:
    virtual ~VideoReader() = default;
    // Opens the picture stream of a video file; false when there is none.
    virtual bool Open(const std::filesystem::path& file) = 0;
    virtual void Close() = 0;
    // Frames of the picture stream, -1 when nothing is open.
    virtual int32_t FrameCount() const = 0;
    // Frames a second the picture stream is meant to be played at; 0 when
    // nothing is open.
    virtual double FramesPerSecond() const = 0;
    // The file's sound track decoded whole and mixed down to one channel; no
    // samples when there is none or nothing is open.
    virtual WaveSound SoundTrack() = 0;
    // Decodes exactly frame n, scaled to the target's size. Frames outside
    // 0 .. count-1 leave the target unchanged and give false.
    virtual bool DecodeFrameTo(int32_t n, const FrameTarget& into) = 0;
    // The frame decoded last, scaled to the target's size; false when there
    // is none (nothing decoded since the video was opened).
    virtual bool DrawFrameTo(const FrameTarget& into) = 0;

    // Frame n as the 480 x 240 cab-view picture.
    bool DecodeFrame(int32_t n, Picture& into) {
        if (n < 0 || n >= FrameCount()) return false;
        into.width = kFrameWidth;
        into.height = kFrameHeight;
        into.pixels.resize(static_cast<size_t>(kFrameWidth) * kFrameHeight);
        return DecodeFrameTo(n, TargetOf(into));
    }
};

}  // namespace kelvaron
