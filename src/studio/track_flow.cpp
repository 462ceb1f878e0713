#include "studio/track_flow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/common_util.h"

namespace kelvaron {

namespace {

constexpr int32_t kBands = FlowRecord::kBands;
// Motion below this (picture heights) is no motion: a tenth of a pixel at 240 rows.
constexpr double kNoMotion = 0.1 / 240;
// A frame moves when some band moves more than this.
constexpr double kMoving = 0.5 / 240;
// Bands just below the horizon see what stands beside the track far away, not the bed.
constexpr double kBelowHorizon = 0.03;
// Matches of more than this are unreliable: the track bed's texture repeats.
constexpr double kLargestMotion = 0.12;
// A standstill lasts at least this long, in seconds.
constexpr double kStillSeconds = 0.5;

double Centre(int32_t band) {
    return (band + 0.5) / kBands;
}

// Forward motion of one frame: the factor k of m = k (y - yh)^2 + c over the usable bands,
// c being the cab's pitching, which moves every row alike. Least squares reweighted so that
// bands that do not fit lose their say.
struct FrameFit {
    double k = 0;
    double pitch = 0;
};
FrameFit FitFrame(const float* m, const std::vector<bool>& usable, double horizon) {
    FrameFit fit;
    double weights[kBands];
    double r2[kBands];
    for (int32_t b = 0; b < kBands; ++b) {
        const double r = Centre(b) - horizon;
        r2[b] = r * r;
        weights[b] = usable[static_cast<size_t>(b)] && r > kBelowHorizon ? 1.0 : 0.0;
    }
    for (int iteration = 0; iteration < 4; ++iteration) {
        double s44 = 0, s22 = 0, s00 = 0, sm2 = 0, sm0 = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            const double w = weights[b];
            s44 += w * r2[b] * r2[b];
            s22 += w * r2[b];
            s00 += w;
            sm2 += w * m[b] * r2[b];
            sm0 += w * m[b];
        }
        const double det = s44 * s00 - s22 * s22;
        if (s00 < 3 || det <= 0) return FrameFit{};
        fit.k = (sm2 * s00 - sm0 * s22) / det;
        fit.pitch = (s44 * sm0 - s22 * sm2) / det;
        // Scale of the misfit: the median absolute residual of the bands in use.
        double residuals[kBands];
        int32_t n = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            if (weights[b] > 0) residuals[n++] = std::abs(m[b] - fit.k * r2[b] - fit.pitch);
        }
        std::nth_element(residuals, residuals + n / 2, residuals + n);
        const double scale = std::max(residuals[n / 2] * 1.4826, kNoMotion / 4);
        for (int32_t b = 0; b < kBands; ++b) {
            const double r = Centre(b) - horizon;
            if (!usable[static_cast<size_t>(b)] || r <= kBelowHorizon ||
                std::abs(fit.k) * r2[b] > kLargestMotion) {
                weights[b] = 0;
                continue;
            }
            // Tukey's biweight: a band more than 4.685 scales off counts for nothing.
            const double u = (m[b] - fit.k * r2[b] - fit.pitch) / (4.685 * scale);
            weights[b] = std::abs(u) < 1 ? (1 - u * u) * (1 - u * u) : 0;
        }
    }
    return fit;
}

}  // namespace

void FlowRecord::Append(const FlowField& field) {
    const size_t start = bands.size();
    bands.resize(start + kBands, 0.0f);
    if (field.width <= 0 || field.height <= 0) return;
    const int32_t left = field.width / 4;
    const int32_t right = field.width - field.width / 4;
    std::vector<float> values;
    for (int32_t b = 0; b < kBands; ++b) {
        const int32_t top = b * field.height / kBands;
        const int32_t bottom = std::max(top + 1, (b + 1) * field.height / kBands);
        values.clear();
        for (int32_t y = top; y < bottom && y < field.height; ++y) {
            const size_t row = static_cast<size_t>(y) * static_cast<size_t>(field.width);
            for (int32_t x = left; x < right; ++x)
                values.push_back(field.dy[row + static_cast<size_t>(x)]);
        }
        if (values.empty()) continue;
        std::nth_element(values.begin(),
                         values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                         values.end());
        bands[start + static_cast<size_t>(b)] =
            values[values.size() / 2] / static_cast<float>(field.height);
    }
}

std::optional<TrackMotion> EstimateTrackMotion(const FlowRecord& record, std::string& error) {
    const int32_t frames = record.FrameCount();
    auto bandsOf = [&](int32_t f) { return record.bands.data() + static_cast<size_t>(f) * kBands; };

    std::vector<int32_t> moving;
    for (int32_t f = 1; f < frames; ++f) {
        const float* m = bandsOf(f);
        if (std::any_of(m, m + kBands, [](float v) { return std::abs(v) > kMoving; })) {
            moving.push_back(f);
        }
    }
    if (moving.size() < 10) {
        error = "the video shows too little motion to measure its speed";
        return std::nullopt;
    }
    // A band that stays put while the picture moves is the cab, or sky without texture.
    std::vector<bool> usable(kBands);
    for (int32_t b = 0; b < kBands; ++b) {
        size_t quiet = 0;
        for (int32_t f : moving) quiet += std::abs(bandsOf(f)[b]) < kNoMotion;
        usable[static_cast<size_t>(b)] = quiet * 5 < moving.size() * 4;
    }

    // The horizon. Every frame moves the bands by its own distance times one shape common to
    // all frames, the square of the height below the horizon. The shape is found first, by
    // alternating medians over a sample of moving frames (frame = band / shape, shape = band /
    // frame); its square root is then a straight line in the height, zero at the horizon.
    std::vector<int32_t> sample;
    const size_t step = std::max<size_t>(1, moving.size() / 2000);
    for (size_t i = 0; i < moving.size(); i += step) sample.push_back(moving[i]);
    auto median = [](std::vector<double>& values) {
        std::nth_element(values.begin(),
                         values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                         values.end());
        return values[values.size() / 2];
    };
    std::vector<double> frameScale(sample.size());
    std::vector<double> values;
    for (size_t i = 0; i < sample.size(); ++i) {
        values.clear();
        for (int32_t b = kBands / 2; b < kBands; ++b) {
            if (usable[static_cast<size_t>(b)]) values.push_back(bandsOf(sample[i])[b]);
        }
        frameScale[i] = values.empty() ? 0 : median(values);
    }
    std::vector<double> shape(kBands, 0.0);
    for (int iteration = 0; iteration < 5; ++iteration) {
        double largest = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            values.clear();
            for (size_t i = 0; i < sample.size(); ++i) {
                if (usable[static_cast<size_t>(b)] && frameScale[i] > kNoMotion) {
                    values.push_back(bandsOf(sample[i])[b] / frameScale[i]);
                }
            }
            shape[static_cast<size_t>(b)] = values.empty() ? 0 : median(values);
            largest = std::max(largest, shape[static_cast<size_t>(b)]);
        }
        for (size_t i = 0; i < sample.size(); ++i) {
            values.clear();
            for (int32_t b = 0; b < kBands; ++b) {
                if (shape[static_cast<size_t>(b)] > 0.05 * largest) {
                    values.push_back(bandsOf(sample[i])[b] / shape[static_cast<size_t>(b)]);
                }
            }
            frameScale[i] = values.empty() ? 0 : median(values);
        }
    }
    const double largest = *std::max_element(shape.begin(), shape.end());
    std::vector<std::pair<double, double>> points;  // height, square root of the shape
    for (int32_t b = 0; b < kBands; ++b) {
        if (largest > 0 && shape[static_cast<size_t>(b)] > 0.05 * largest) {
            points.emplace_back(Centre(b), std::sqrt(shape[static_cast<size_t>(b)]));
        }
    }
    // A straight line through them that outliers do not bend (Theil and Sen's medians).
    std::vector<double> slopes;
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = i + 1; j < points.size(); ++j) {
            slopes.push_back((points[j].second - points[i].second) /
                             (points[j].first - points[i].first));
        }
    }
    if (points.size() < 6 || median(slopes) <= 0) {
        error = "the video's motion does not look like a view along a track";
        return std::nullopt;
    }
    const double slope = median(slopes);
    values.clear();
    for (const auto& [y, root] : points) values.push_back(root - slope * y);
    const double bestHorizon = -median(values) / slope;
    if (!(bestHorizon > 0 && bestHorizon < 1)) {
        error = "the video's motion does not look like a view along a track";
        return std::nullopt;
    }

    TrackMotion motion;
    motion.horizon = bestHorizon;
    motion.forward.assign(static_cast<size_t>(frames), 0.0);
    motion.still.assign(static_cast<size_t>(frames), false);
    double lowest = 0;
    for (int32_t b = 0; b < kBands; ++b) {
        if (usable[static_cast<size_t>(b)]) lowest = std::max(lowest, Centre(b) - bestHorizon);
    }
    std::vector<bool> quiet(static_cast<size_t>(frames), true);
    for (int32_t f = 1; f < frames; ++f) {
        const FrameFit fit = FitFrame(bandsOf(f), usable, bestHorizon);
        motion.forward[static_cast<size_t>(f)] = std::max(0.0, fit.k);
        quiet[static_cast<size_t>(f)] = fit.k * lowest * lowest < kNoMotion;
    }
    if (frames > 1) {
        motion.forward[0] = motion.forward[1];
        quiet[0] = quiet[1];
    }
    // Only a stretch of quiet frames is a standstill; a single one is a slow frame.
    const auto minimum = static_cast<int32_t>(std::ceil(kStillSeconds * record.framesPerSecond));
    for (int32_t f = 0; f < frames;) {
        int32_t end = f;
        while (end < frames && quiet[static_cast<size_t>(end)]) ++end;
        if (end - f >= minimum) {
            for (int32_t g = f; g < end; ++g) {
                motion.still[static_cast<size_t>(g)] = true;
                motion.forward[static_cast<size_t>(g)] = 0;
            }
        }
        f = std::max(end, f + 1);
    }
    return motion;
}

std::optional<SpeedProfile> CalibratedSpeedProfile(const TrackMotion& motion,
                                                   const std::vector<KnownSpan>& spans,
                                                   std::string& error) {
    const auto frames = static_cast<int32_t>(motion.forward.size());
    if (spans.empty()) {
        error = "give at least one span of known length (--span F1:F2:METRES)";
        return std::nullopt;
    }
    std::vector<double> sum(motion.forward.size() + 1, 0);
    for (size_t f = 0; f < motion.forward.size(); ++f) sum[f + 1] = sum[f] + motion.forward[f];
    // Motion from frame a to frame b: the steps of frames a+1 .. b.
    auto between = [&](int32_t a, int32_t b) {
        return sum[static_cast<size_t>(b) + 1] - sum[static_cast<size_t>(a) + 1];
    };
    double sxy = 0;
    double sxx = 0;
    for (const KnownSpan& span : spans) {
        const std::string name = "the span " + ToDecimal(span.from) + ":" + ToDecimal(span.to);
        if (span.from < 0 || span.to >= frames || span.from >= span.to) {
            error = name + " must run forwards within the video's " + ToDecimal(frames) + " frames";
            return std::nullopt;
        }
        if (!(span.metres > 0)) {
            error = name + " needs a length of more than 0 m";
            return std::nullopt;
        }
        const double m = between(span.from, span.to);
        if (m <= 0) {
            error = name + " shows no motion along the track";
            return std::nullopt;
        }
        sxy += m * span.metres;
        sxx += m * m;
    }
    const double scale = sxy / sxx;

    // The per-frame motion is noisy; a mean over half a second keeps the distance it adds up
    // to while the fitting sees the speed.
    std::vector<double> metres(motion.forward.size());
    for (size_t f = 0; f < metres.size(); ++f) metres[f] = motion.forward[f] * scale;
    constexpr int64_t half = 7;
    std::vector<double> prefix(metres.size() + 1, 0);
    for (size_t f = 0; f < metres.size(); ++f) prefix[f + 1] = prefix[f] + metres[f];
    SpeedProfile profile;
    profile.kmh.resize(metres.size());
    for (int64_t f = 0; f < frames; ++f) {
        if (motion.still[static_cast<size_t>(f)]) continue;
        const int64_t a = std::max<int64_t>(0, f - half);
        const int64_t b = std::min<int64_t>(frames, f + half + 1);
        profile.kmh[static_cast<size_t>(f)] = SpeedProfile::FromMetresPerFrame(
            (prefix[static_cast<size_t>(b)] - prefix[static_cast<size_t>(a)]) /
            static_cast<double>(b - a));
    }
    return profile;
}

}  // namespace kelvaron
