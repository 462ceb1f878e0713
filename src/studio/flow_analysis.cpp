#include "studio/flow_analysis.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <thread>

namespace kelvaron {

namespace {

// Bumped whenever what the record holds changes meaning.
constexpr char kCacheMagic[] = "kelvaron-flow 1\n";
// Stored motion in 1/100000 of the picture height: a few thousandths of a pixel.
constexpr double kCacheUnit = 1e-5;

struct VideoStamp {
    uint64_t size = 0;
    int64_t modified = 0;
};

std::optional<VideoStamp> StampOf(const std::filesystem::path& video) {
    std::error_code e;
    const auto size = std::filesystem::file_size(video, e);
    if (e) return std::nullopt;
    const auto time = std::filesystem::last_write_time(video, e);
    if (e) return std::nullopt;
    return VideoStamp{size, static_cast<int64_t>(time.time_since_epoch().count())};
}

template <typename T>
void Put(std::ostream& out, T value) {
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}
template <typename T>
bool Get(std::istream& in, T& value) {
    return static_cast<bool>(in.read(reinterpret_cast<char*>(&value), sizeof value));
}

// Frames decoded ahead, handed from the decoding thread to the measuring one.
class FrameQueue {
  public:
    void Push(Picture picture) {
        std::unique_lock lock(mutex_);
        space_.wait(lock, [&] { return frames_.size() < 4 || stopped_; });
        frames_.push_back(std::move(picture));
        ready_.notify_one();
    }
    bool Pop(Picture& picture) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !frames_.empty() || ended_; });
        if (frames_.empty()) return false;
        picture = std::move(frames_.front());
        frames_.pop_front();
        space_.notify_one();
        return true;
    }
    void End() {
        std::lock_guard lock(mutex_);
        ended_ = true;
        ready_.notify_one();
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        space_.notify_one();
    }
    bool Stopped() {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable space_;
    std::deque<Picture> frames_;
    bool ended_ = false;
    bool stopped_ = false;
};

}  // namespace

std::optional<FlowRecord> AnalyseFlow(VideoReader& video, OpticalFlow& flow,
                                      const FlowProgress& progress, std::string& error) {
    const int32_t total = video.FrameCount();
    if (total < 2) {
        error = "the video has no frames to measure";
        return std::nullopt;
    }
    FlowRecord record;
    record.framesPerSecond = video.FramesPerSecond();
    record.bands.reserve(static_cast<size_t>(total) * FlowRecord::kBands);

    FrameQueue queue;
    std::thread decoder([&] {
        for (int32_t f = 0; f < total && !queue.Stopped(); ++f) {
            Picture picture;
            if (!video.DecodeFrame(f, picture)) break;
            queue.Push(std::move(picture));
        }
        queue.End();
    });

    flow.Reset();
    FlowField field;
    Picture picture;
    bool stopped = false;
    int32_t done = 0;
    while (queue.Pop(picture)) {
        if (flow.Next(picture, field)) {
            record.Append(field);
        } else {
            record.Append(FlowField{});
        }
        ++done;
        if (progress && (done % 32 == 0 || done == total) && !progress(done, total)) {
            stopped = true;
            queue.Stop();
            while (queue.Pop(picture)) {
            }
            break;
        }
    }
    decoder.join();
    if (stopped) {
        error = "stopped";
        return std::nullopt;
    }
    if (done < total) {
        error = "frame " + std::to_string(done) + " of the video cannot be decoded";
        return std::nullopt;
    }
    return record;
}

std::filesystem::path FlowCachePath(const std::filesystem::path& video) {
    std::filesystem::path cache = video;
    cache += ".kelvaron-flow";
    return cache;
}

std::optional<FlowRecord> LoadFlowCache(const std::filesystem::path& video) {
    const auto stamp = StampOf(video);
    if (!stamp) return std::nullopt;
    std::ifstream in(FlowCachePath(video), std::ios::binary);
    char magic[sizeof kCacheMagic - 1];
    if (!in.read(magic, sizeof magic) || std::memcmp(magic, kCacheMagic, sizeof magic) != 0) {
        return std::nullopt;
    }
    VideoStamp kept;
    int32_t frames = 0;
    int32_t bands = 0;
    FlowRecord record;
    if (!Get(in, kept.size) || !Get(in, kept.modified) || !Get(in, record.framesPerSecond) ||
        !Get(in, frames) || !Get(in, bands)) {
        return std::nullopt;
    }
    // A record of another video, or one cut short, is measured again.
    if (kept.size != stamp->size || kept.modified != stamp->modified ||
        bands != FlowRecord::kBands || frames < 0 || frames > 100'000'000) {
        return std::nullopt;
    }
    std::vector<int16_t> stored(static_cast<size_t>(frames) * FlowRecord::kBands);
    if (!in.read(reinterpret_cast<char*>(stored.data()),
                 static_cast<std::streamsize>(stored.size() * sizeof(int16_t)))) {
        return std::nullopt;
    }
    record.bands.resize(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        record.bands[i] = static_cast<float>(stored[i] * kCacheUnit);
    }
    return record;
}

bool SaveFlowCache(const std::filesystem::path& video, const FlowRecord& record) {
    const auto stamp = StampOf(video);
    if (!stamp) return false;
    const auto path = FlowCachePath(video);
    auto temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(kCacheMagic, sizeof kCacheMagic - 1);
        Put(out, stamp->size);
        Put(out, stamp->modified);
        Put(out, record.framesPerSecond);
        Put(out, record.FrameCount());
        Put(out, FlowRecord::kBands);
        for (float value : record.bands) {
            const double units = std::clamp(value / kCacheUnit, -32767.0, 32767.0);
            Put(out, static_cast<int16_t>(std::lround(units)));
        }
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code e;
    std::filesystem::rename(temporary, path, e);
    return !e;
}

std::optional<FlowRecord> FlowOfVideo(const std::filesystem::path& file, VideoReader& video,
                                      OpticalFlow& flow, const FlowProgress& progress,
                                      std::string& error) {
    if (auto cached = LoadFlowCache(file)) return cached;
    if (!video.Open(file)) {
        error = file.string() + ": no picture stream that can be read";
        return std::nullopt;
    }
    auto record = AnalyseFlow(video, flow, progress, error);
    if (record) SaveFlowCache(file, *record);
    return record;
}

}  // namespace kelvaron
