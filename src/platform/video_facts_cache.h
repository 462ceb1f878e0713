#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kelvaron {

// What a run without pictures needs to know of its video.
struct VideoFacts {
    int32_t frameCount = -1;
    double framesPerSecond = 0;
};

// The facts of videos opened before, kept in one small file of the user's
// cache folder, each under the video's path, size and modification time: a
// headless run of a known video then starts without loading FFmpeg and the
// hundred libraries it pulls in, which take longer than the rest of start-up.
// A changed, moved or unreadable video is simply not found; a cache that
// cannot be read or written is no cache.
class VideoFactsCache {
  public:
    // The default file: $XDG_CACHE_HOME/kelvaron/videos.txt (~/.cache/...).
    VideoFactsCache();
    explicit VideoFactsCache(std::filesystem::path file);

    std::optional<VideoFacts> Find(const std::filesystem::path& video) const;
    void Remember(const std::filesystem::path& video, const VideoFacts& facts) const;

  private:
    std::filesystem::path file_;
};

}  // namespace kelvaron
