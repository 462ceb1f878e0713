#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/picture.h"

namespace kelvaron {

// How a video is encoded. The codec is named as FFmpeg names its encoders
// ("mjpeg", "mpeg4" ...); B-frames make the decoder reorder frames, as most
// camera and web videos do.
struct VideoSettings {
    int32_t width = 0;
    int32_t height = 0;
    int32_t fps = 30;
    std::string codec = "mjpeg";
    int32_t keyframeInterval = 30;
    int32_t bFrames = 0;
};

// Encodes pictures into a video file. The container follows the file name's
// extension (".avi", ".mp4", ".mkv" ...). Pictures of another size are scaled.
class VideoWriter {
  public:
    VideoWriter();
    ~VideoWriter();  // closes the file if it is still open
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    bool Open(const std::filesystem::path& file, const VideoSettings& settings);
    bool Write(const Picture& picture);
    // Writes what the encoder still holds and the container's index; false
    // when anything since Open failed to be written.
    bool Close();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Writes `frames` frames, each drawn by `draw` into an opaque black picture
// of the video's size.
bool WriteTestVideo(const std::filesystem::path& file, const VideoSettings& settings,
                    int32_t frames,
                    const std::function<void(int32_t frame, Picture& picture)>& draw);

}  // namespace kelvaron
