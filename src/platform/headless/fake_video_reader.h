#pragma once

#include <algorithm>
#include <vector>

#include "platform/video_reader.h"

namespace kelvaron {

// A video of a given length whose frames are plain pictures; records the
// frames decoded so tests can see what the presenter asked for.
class FakeVideoReader : public VideoReader {
  public:
    int32_t frameCountWhenOpen = 0;
    double framesPerSecond = 30;
    WaveSound soundTrack;
    bool opens = true;
    std::vector<int32_t> decoded;
    std::filesystem::path file;  // the file last asked for

    bool Open(const std::filesystem::path& path) override {
        file = path;
        open_ = opens;
        return open_;
    }
    void Close() override {
        open_ = false;
        last_ = -1;
    }
    int32_t FrameCount() const override { return open_ ? frameCountWhenOpen : -1; }
    bool DecodeFrameTo(int32_t n, const FrameTarget& into) override {
        if (!open_ || n < 0 || n >= frameCountWhenOpen) return false;
        decoded.push_back(n);
        last_ = n;
        return into.pixels == nullptr || DrawFrameTo(into);
    }
    // The frame's number is its colour.
    bool DrawFrameTo(const FrameTarget& into) override {
        if (!open_ || last_ < 0) return false;
        for (int32_t y = 0; y < into.height; ++y) {
            auto* row =
                reinterpret_cast<uint32_t*>(into.pixels + static_cast<size_t>(y) * into.stride);
            std::fill(row, row + into.width, 0xFF000000u | static_cast<uint32_t>(last_));
        }
        return true;
    }

    double FramesPerSecond() const override { return open_ ? framesPerSecond : 0; }
    WaveSound SoundTrack() override { return open_ ? soundTrack : WaveSound{}; }

  private:
    bool open_ = false;
    int32_t last_ = -1;
};

}  // namespace kelvaron
