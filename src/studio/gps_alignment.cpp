#include "studio/gps_alignment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>
#include <utility>

namespace kelvaron {

namespace {

constexpr double kEarthRadius = 6371008.8;  // m, the mean radius
// Standing means moving less than this straight-line distance over the window:
// receiver jitter wanders but does not travel.
constexpr double kStillWindow = 4.0;  // s
constexpr double kStillMetres = 3.0;  // m
constexpr double kGridStep = 0.1;     // s, the grid the track's standstills are kept on

std::string ClockText(double time) {
    const auto whole = static_cast<std::time_t>(std::floor(time));
    std::tm parts{};
    gmtime_r(&whole, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d UTC", parts.tm_hour, parts.tm_min,
                  parts.tm_sec);
    return text;
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

double Metres(const GpsPoint& a, const GpsPoint& b) {
    const double dLat = Radians(b.latitude - a.latitude);
    const double dLon = Radians(b.longitude - a.longitude);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Radians(a.latitude)) * std::cos(Radians(b.latitude)) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

// The track as a function of time: distance travelled and position.
class TrackTimeline {
  public:
    explicit TrackTimeline(const GpsTrack& track) : points_(track.points) {
        distance_.push_back(0);
        for (size_t i = 1; i < points_.size(); ++i) {
            distance_.push_back(distance_.back() + Metres(points_[i - 1], points_[i]));
        }
    }
    double Start() const { return points_.front().time; }
    double End() const { return points_.back().time; }

    double DistanceAt(double t) const {
        const size_t i = Segment(t);
        return distance_[i] + Share(i, t) * (distance_[i + 1] - distance_[i]);
    }
    GpsPoint PositionAt(double t) const {
        const size_t i = Segment(t);
        const double s = Share(i, t);
        GpsPoint p;
        p.latitude = points_[i].latitude + s * (points_[i + 1].latitude - points_[i].latitude);
        p.longitude = points_[i].longitude + s * (points_[i + 1].longitude - points_[i].longitude);
        return p;
    }
    bool StillAt(double t) const {
        const double a = std::max(Start(), t - kStillWindow / 2);
        const double b = std::min(End(), t + kStillWindow / 2);
        return Metres(PositionAt(a), PositionAt(b)) < kStillMetres * (b - a) / kStillWindow;
    }

  private:
    size_t Segment(double t) const {
        auto it = std::upper_bound(points_.begin(), points_.end(), t,
                                   [](double time, const GpsPoint& p) { return time < p.time; });
        size_t i = it == points_.begin() ? 0 : static_cast<size_t>(it - points_.begin()) - 1;
        return std::min(i, points_.size() - 2);
    }
    double Share(size_t i, double t) const {
        const double s = (t - points_[i].time) / (points_[i + 1].time - points_[i].time);
        return std::clamp(s, 0.0, 1.0);
    }

    const std::vector<GpsPoint>& points_;
    std::vector<double> distance_;
};

// Frames that agree on standing or moving at the offset; frames the track does
// not cover count as disagreeing, so the video is kept inside the track.
int64_t Agreement(const std::vector<bool>& gpsStill, const VideoTiming& video, double offset,
                  int32_t frameStep) {
    int64_t agree = 0;
    for (int32_t f = 0; f < video.frameCount; f += frameStep) {
        const double t = offset + f / video.framesPerSecond;
        const auto cell = static_cast<int64_t>(std::llround(t / kGridStep));
        if (cell < 0 || cell >= static_cast<int64_t>(gpsStill.size())) continue;
        if (gpsStill[static_cast<size_t>(cell)] == video.still[static_cast<size_t>(f)]) ++agree;
    }
    return agree;
}

}  // namespace

std::optional<std::string> CheckGpsTrack(const GpsTrack& track) {
    if (track.points.size() < 2) return "the GPS track has fewer than two points with a time";
    for (size_t i = 1; i < track.points.size(); ++i) {
        const GpsPoint& a = track.points[i - 1];
        const GpsPoint& b = track.points[i];
        if (!(b.time > a.time)) {
            return "GPX line " + std::to_string(b.sourceLine) + ": the time " + ClockText(b.time) +
                   " does not come after " + ClockText(a.time) +
                   " of the point before; the track's times must run forwards";
        }
    }
    return std::nullopt;
}

std::optional<double> FindGpsOffset(const GpsTrack& track, const VideoTiming& video,
                                    std::string& error) {
    if (auto fault = CheckGpsTrack(track)) {
        error = *fault;
        return std::nullopt;
    }
    if (video.still.size() != static_cast<size_t>(video.frameCount) || video.frameCount <= 0 ||
        std::none_of(video.still.begin(), video.still.end(), [](bool s) { return s; })) {
        error = "the video has no still frames measured to line the track up with; give --offset";
        return std::nullopt;
    }
    const TrackTimeline timeline(track);
    const double duration = timeline.End() - timeline.Start();
    std::vector<bool> gpsStill(static_cast<size_t>(duration / kGridStep) + 1);
    for (size_t i = 0; i < gpsStill.size(); ++i) {
        gpsStill[i] = timeline.StillAt(timeline.Start() + static_cast<double>(i) * kGridStep);
    }
    if (std::none_of(gpsStill.begin(), gpsStill.end(), [](bool s) { return s; })) {
        error = "the GPS track never stands still; give --offset";
        return std::nullopt;
    }

    // Coarse over every offset that lets the video overlap the track, then fine around the
    // best. Standstills seen through a window come out shorter than they were, so equally good
    // offsets form a plateau whose middle is the answer.
    const double videoSeconds = video.frameCount / video.framesPerSecond;
    const auto coarseFrames = std::max<int32_t>(1, static_cast<int32_t>(video.framesPerSecond / 2));
    auto plateau = [&](double from, double to, double step, int32_t frameStep) {
        int64_t bestScore = -1;
        double first = from;
        double last = from;
        bool inBest = false;
        for (double offset = from; offset <= to + 1e-9; offset += step) {
            const int64_t score = Agreement(gpsStill, video, offset, frameStep);
            if (score > bestScore) {
                bestScore = score;
                first = last = offset;
                inBest = true;
            } else if (score == bestScore && inBest) {
                last = offset;
            } else {
                inBest = false;
            }
        }
        return std::pair{first, last};
    };
    const auto [coarseFirst, coarseLast] = plateau(-videoSeconds, duration, 0.5, coarseFrames);
    const double centre = (coarseFirst + coarseLast) / 2;
    const double reach = 1 + (coarseLast - coarseFirst) / 2;
    const auto [first, last] = plateau(centre - reach, centre + reach, 0.02, 1);
    return (first + last) / 2;
}

std::optional<SpeedProfile> GpsSpeedProfile(const GpsTrack& track, double offset,
                                            const VideoTiming& video, std::string& error,
                                            double maxGapSeconds) {
    if (auto fault = CheckGpsTrack(track)) {
        error = *fault;
        return std::nullopt;
    }
    if (video.frameCount < 2 || !(video.framesPerSecond > 0)) {
        error = "the video has no frames to give a speed to";
        return std::nullopt;
    }
    const TrackTimeline timeline(track);
    const double fps = video.framesPerSecond;
    const double half = 0.5 / fps;
    const double begin = timeline.Start() + offset - half;
    const double end = timeline.Start() + offset + (video.frameCount - 1) / fps + half;
    if (begin < timeline.Start() || end > timeline.End()) {
        error = "the GPS track (" + ClockText(timeline.Start()) + " to " +
                ClockText(timeline.End()) + ") does not cover the video at this offset (" +
                ClockText(begin) + " to " + ClockText(end) + ")";
        return std::nullopt;
    }
    for (size_t i = 1; i < track.points.size(); ++i) {
        const GpsPoint& a = track.points[i - 1];
        const GpsPoint& b = track.points[i];
        if (b.time - a.time > maxGapSeconds && b.time > begin && a.time < end) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.0f", b.time - a.time);
            error = "GPX line " + std::to_string(b.sourceLine) +
                    ": the track has no position for " + seconds + " s after " + ClockText(a.time) +
                    ", while the video runs";
            return std::nullopt;
        }
    }
    // Each frame gets the distance between its two half-frame times, so the frames add up to
    // the track's distance; a one-second mean then smooths the steps between GPS fixes.
    std::vector<double> metres(static_cast<size_t>(video.frameCount));
    for (int32_t f = 0; f < video.frameCount; ++f) {
        const double t = timeline.Start() + offset + f / fps;
        metres[static_cast<size_t>(f)] =
            timeline.DistanceAt(t + half) - timeline.DistanceAt(t - half);
    }
    const auto window = static_cast<int64_t>(std::max(1.0, std::round(fps)));
    SpeedProfile profile;
    profile.kmh.resize(metres.size());
    double sum = 0;
    std::vector<double> prefix(metres.size() + 1, 0);
    for (size_t i = 0; i < metres.size(); ++i) prefix[i + 1] = (sum += metres[i]);
    const auto count = static_cast<int64_t>(metres.size());
    for (int64_t i = 0; i < count; ++i) {
        const int64_t a = std::max<int64_t>(0, i - window / 2);
        const int64_t b = std::min<int64_t>(count, i + window / 2 + 1);
        const double mean = (prefix[static_cast<size_t>(b)] - prefix[static_cast<size_t>(a)]) /
                            static_cast<double>(b - a);
        const bool still = !video.still.empty() && video.still[static_cast<size_t>(i)];
        profile.kmh[static_cast<size_t>(i)] = still ? 0 : SpeedProfile::FromMetresPerFrame(mean);
    }
    return profile;
}

}  // namespace kelvaron
