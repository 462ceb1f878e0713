#include "platform/ffmpeg/video_module.h"

#include "platform/ffmpeg/ffmpeg_video_reader.h"

// The module's one entry point: a new reader, owned by the caller.
extern "C" kelvaron::VideoReader* KelvaronCreateVideoReader() {
    return new kelvaron::FfmpegVideoReader();
}
