#pragma once

#include <cstdint>

#include "platform/video_reader.h"
#include "sim/run_state.h"

namespace kelvaron {

// The idle-time presenter of the cab view: at most one new frame per 33 ms,
// and only when the train has moved to another frame. Returns true when it
// decoded a frame into `into` (the window then shows it).
bool AppIdle(RunState& state, VideoReader& video, const FrameTarget& into, uint32_t nowMs,
             bool running);

// The redraw command: decodes the current frame at once, whatever the time.
bool RedrawFrame(RunState& state, VideoReader& video, const FrameTarget& into);

}  // namespace kelvaron
