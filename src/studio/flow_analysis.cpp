#include "studio/flow_analysis.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "studio/median.h"

namespace kelvaron {

namespace {

// Bumped whenever what the record holds changes meaning.
constexpr char kCacheMagic[] = "kelvaron-flow 3\n";
// Stored motion in 1/100000 of the picture height: a few thousandths of a pixel.
constexpr double kCacheUnit = 1e-5;
// Stored for motion that could not be told.
constexpr int16_t kCacheUnknown = -32768;

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

// The vertical motion per frame that each row of the next frame is expected to show. Every
// frame moves the rows of the track bed by one shape, scaled by the distance travelled: the
// shape is learnt from the first frames that move, and the scale is that of the last frame
// whose rows kept to the shape (a train cannot change its speed much from one frame to the
// next; where the picture shows nothing to follow, as in a tunnel, the speed is held).
class RowExpectation {
  public:
    // Pixels over `frames` frames for each row; empty while the shape is not known.
    const std::vector<float>& Over(int32_t frames) {
        over_.resize(expected_.size());
        for (size_t y = 0; y < expected_.size(); ++y) over_[y] = expected_[y] * frames;
        return over_;
    }
    // Learns from a field measured over `covered` frames.
    void Learn(const FlowField& field, int32_t covered) {
        RowMedians(field);
        for (float& m : rows_) m /= static_cast<float>(covered);
        if (!settled_) {
            // A first shape comes from the first measurements that moved a pixel, however many
            // frames they covered, so that slow frames are matched against it too; the shape
            // kept comes from frames that each moved a pixel, read best.
            float fastest = 0;
            for (float m : rows_) {
                if (!std::isnan(m)) fastest = std::max(fastest, std::abs(m));
            }
            if (fastest >= kShapePixels) first_.push_back(rows_);
            if (fastest * static_cast<float>(covered) >= kShapePixels) early_.push_back(rows_);
            if (first_.size() >= kShapeFrames) {
                LearnShape(first_);
                settled_ = !shape_.empty();
            } else if (shape_.empty() && early_.size() >= kShapeFrames) {
                LearnShape(early_);
            }
            if (shape_.empty()) {
                Cover(fastest);
                return;
            }
        }
        // Once the shape is known, only motion that keeps to it tells how slow the train is: a
        // dark tunnel reads as none, and measuring it over long stretches would read the
        // tunnel's end, passed at speed, as noise.
        const auto kept = UpdateScale();
        if (kept) {
            Cover(std::abs(*kept));
        } else {
            apart_ = 1;
        }
    }

    // The frames the next measurement should cover.
    int32_t FramesToCover() const { return apart_; }

  private:
    // Sets the frames the next measurement covers for the fastest row, moving `fastest`
    // pixels a frame, to move a few pixels: the flow reads motion well under a pixel low. The
    // stretch no more than doubles from one measurement to the next, as a train speeds up.
    void Cover(float fastest) {
        // Matched against the expected motion, the flow only has the difference to find.
        const float target = shape_.empty() ? kUnguidedPixels : kReadablePixels;
        const int32_t wanted = fastest * FlowRecord::kMostCovered <= target
                                   ? FlowRecord::kMostCovered
                                   : std::max(1, static_cast<int32_t>(target / fastest));
        apart_ = std::min(wanted, 2 * apart_);
    }

    // The scale of the rows when they keep to the shape.
    std::optional<float> UpdateScale() {
        std::vector<float> ratios;
        for (size_t y = 0; y < rows_.size(); ++y) {
            if (shape_[y] > kShapeFloor && !std::isnan(rows_[y]))
                ratios.push_back(rows_[y] / shape_[y]);
        }
        if (ratios.size() < 3) return std::nullopt;
        const float scale = MedianInPlace(ratios);
        for (float& r : ratios) r = std::abs(r - scale);
        const bool kept = MedianInPlace(ratios) <= kShapeSpread * std::abs(scale);
        if (kept || std::abs(scale) < kShapePixels / 4) {
            for (size_t y = 0; y < shape_.size(); ++y) expected_[y] = scale * shape_[y];
        }
        if (!kept) return std::nullopt;
        return scale;
    }

    // The fastest row's motion (pixels) from which a measurement is read well, and the most
    // to measure before the rows' shape is known: the flow then finds all the motion itself,
    // and a repeating texture (the sleepers) is matched one repetition off not far beyond.
    static constexpr float kReadablePixels = 6.0f;
    static constexpr float kUnguidedPixels = 4.0f;
    // Frames that move at least this much (pixels in the fastest row) teach the shape.
    static constexpr float kShapePixels = 1.0f;
    static constexpr size_t kShapeFrames = 30;
    // Rows moving less than this share of the fastest do not tell the scale.
    static constexpr float kShapeFloor = 0.2f;
    // A frame keeps to the shape when its rows' scales differ by no more than this share.
    static constexpr float kShapeSpread = 0.25f;

    // Median over the width of each row, smoothed over a few rows.
    void RowMedians(const FlowField& field) {
        std::vector<float> raw(static_cast<size_t>(field.height), 0.0f);
        std::vector<float> values;
        for (int32_t y = 0; y < field.height; ++y) {
            values.clear();
            const size_t row = static_cast<size_t>(y) * static_cast<size_t>(field.width);
            for (int32_t x = 0; x < field.width; ++x) {
                const float v = field.dy[row + static_cast<size_t>(x)];
                if (!std::isnan(v)) values.push_back(v);
            }
            raw[static_cast<size_t>(y)] = values.empty() ? std::nanf("") : MedianInPlace(values);
        }
        constexpr int32_t reach = 3;
        rows_.assign(raw.size(), 0.0f);
        for (int32_t y = 0; y < field.height; ++y) {
            values.clear();
            for (int32_t k = std::max(0, y - reach); k <= std::min(field.height - 1, y + reach);
                 ++k) {
                if (!std::isnan(raw[static_cast<size_t>(k)]))
                    values.push_back(raw[static_cast<size_t>(k)]);
            }
            rows_[static_cast<size_t>(y)] = values.empty() ? std::nanf("") : MedianInPlace(values);
        }
    }

    // Each frame divided by its own size, then the median over the frames, row by row.
    // The shape from `frames`, which it empties: each frame divided by its own size, then the
    // median over the frames, row by row.
    void LearnShape(std::vector<std::vector<float>>& frames) {
        std::vector<float> sizes;
        for (const auto& frame : frames) {
            std::vector<float> values;
            for (float m : frame) {
                if (!std::isnan(m)) values.push_back(std::abs(m));
            }
            std::sort(values.begin(), values.end());
            sizes.push_back(values.empty() ? 0.0f : values[values.size() * 9 / 10]);
        }
        std::vector<float> shape(rows_.size(), 0.0f);
        float largest = 0;
        std::vector<float> values;
        for (size_t y = 0; y < shape.size(); ++y) {
            values.clear();
            for (size_t f = 0; f < frames.size(); ++f) {
                if (sizes[f] > 0 && y < frames[f].size() && !std::isnan(frames[f][y])) {
                    values.push_back(frames[f][y] / sizes[f]);
                }
            }
            shape[y] = values.empty() ? 0.0f : MedianInPlace(values);
            largest = std::max(largest, shape[y]);
        }
        frames.clear();
        if (largest <= 0) return;
        for (float& v : shape) v /= largest;
        if (shape_.empty()) expected_.assign(shape.size(), 0.0f);
        shape_ = std::move(shape);
    }

    std::vector<float> rows_;
    std::vector<std::vector<float>> first_;
    std::vector<std::vector<float>> early_;
    bool settled_ = false;
    std::vector<float> shape_;
    std::vector<float> expected_;
    std::vector<float> over_;
    int32_t apart_ = 1;
};

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
    RowExpectation expectation;
    bool stopped = false;
    int32_t done = 0;
    // The frame the flow compares the next picture with, and the frames it should be apart.
    int32_t compared = -1;
    int32_t apart = 1;
    while (queue.Pop(picture)) {
        if (compared >= 0 && done - compared < apart && done < total - 1) {
            record.AppendCovered();
        } else {
            const int32_t covered = compared >= 0 ? done - compared : 1;
            if (flow.Next(picture, expectation.Over(covered), field)) {
                record.Append(field, covered);
                expectation.Learn(field, covered);
            } else {
                record.Append(FlowField{}, covered);
            }
            compared = done;
            apart = expectation.FramesToCover();
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
        record.bands[i] =
            stored[i] == kCacheUnknown ? std::nanf("") : static_cast<float>(stored[i] * kCacheUnit);
    }
    record.measuredOver.resize(static_cast<size_t>(frames));
    if (!in.read(reinterpret_cast<char*>(record.measuredOver.data()),
                 static_cast<std::streamsize>(record.measuredOver.size()))) {
        return std::nullopt;
    }
    // A measurement may not reach back before the first frame nor further than one can.
    for (int32_t f = 0; f < frames; ++f) {
        const int32_t covered = record.measuredOver[static_cast<size_t>(f)];
        if (covered > std::max(f, 1) || covered > FlowRecord::kMostCovered) return std::nullopt;
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
            Put(out, std::isnan(value) ? kCacheUnknown : static_cast<int16_t>(std::lround(units)));
        }
        out.write(reinterpret_cast<const char*>(record.measuredOver.data()),
                  static_cast<std::streamsize>(record.measuredOver.size()));
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
