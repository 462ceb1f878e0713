#include "run/video_presenter.h"

namespace kelvaron {

namespace {
constexpr uint32_t kFramePeriodMs = 33;
}

bool AppIdle(RunState& state, VideoReader& video, const FrameTarget& into, uint32_t nowMs,
             bool running) {
    if (nowMs - state.LastDrawTime < kFramePeriodMs) return false;
    if (state.DisplayedFrame == state.Frame) return false;
    // The frame is read once: the whole draw uses this value.
    const int32_t frame = state.Frame;
    if (!running || video.FrameCount() < 0 || frame < 0) return false;
    const bool drawn = video.DecodeFrameTo(frame, into);
    state.DisplayedFrame = frame;
    state.LastDrawTime = nowMs;
    return drawn;
}

bool RedrawFrame(RunState& state, VideoReader& video, const FrameTarget& into) {
    const int32_t frame = state.Frame;
    if (frame < 0 || frame >= video.FrameCount()) return false;
    const bool drawn = video.DecodeFrameTo(frame, into);
    state.DisplayedFrame = frame;
    return drawn;
}

}  // namespace kelvaron
