// The cab-view video: opening, the frame count, and frames decoded in the
// order a run asks for them (forwards, a jump back, a jump ahead).
#include "common/picture.h"
#include "fuzz_support.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    const auto file = fuzz::WriteInput("fuzz.avi", data, size);
    FfmpegVideoReader video;
    if (!video.Open(file)) return 0;
    const int32_t count = video.FrameCount();
    Picture frame;
    for (int32_t n : {0, 1, 2, count / 2, 1, count - 1, count}) video.DecodeFrame(n, frame);
    return 0;
}
