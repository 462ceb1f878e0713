#include "studio/track_flow.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/common_util.h"
#include "studio/median.h"

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
// A frame whose fit keeps fewer of the bands than this share shows no usable motion.
constexpr double kAgreement = 0.5;
// The most a train brakes or speeds up, m/s^2 (emergency braking is about 1.4).
constexpr double kMostAcceleration = 1.5;
// How far a frame's speed (the median of half a second) scatters around the true speed: this
// share of it, and this much in m/s at any speed.
constexpr double kScatterShare = 0.25;
constexpr double kScatterSpeed = 1.5;
// A standstill lasts at least this long, in seconds.
constexpr double kStillSeconds = 0.5;

double Centre(int32_t band) {
    return (band + 0.5) / kBands;
}

// Forward motion of one frame: the k of m - c = k r (r + m - c) over the usable bands
// (r = y - yh, m = the band's motion, c = the cab's pitching, which moves every row alike;
// see FlowRecord), found by least
// squares reweighted so that bands that do not fit lose their say. `agreement` is the share
// of the usable bands that the fit keeps: low where the picture shows nothing to follow.
struct FrameFit {
    double k = 0;
    double pitch = 0;
    double agreement = 0;
};
FrameFit FitFrame(const float* bands, const std::vector<bool>& usable, double horizon) {
    FrameFit fit;
    double weights[kBands];
    double r[kBands];
    double m[kBands];
    double x[kBands];
    int32_t candidates = 0;
    for (int32_t b = 0; b < kBands; ++b) {
        r[b] = Centre(b) - horizon;
        const bool known = !std::isnan(bands[b]);
        m[b] = known ? static_cast<double>(bands[b]) : 0.0;
        weights[b] = known && usable[static_cast<size_t>(b)] && r[b] > kBelowHorizon ? 1.0 : 0.0;
        candidates += weights[b] > 0;
    }
    if (candidates < 3) return fit;
    double q = 0;
    for (int iteration = 0; iteration < 6; ++iteration) {
        double sxx = 0, sx = 0, s0 = 0, sxm = 0, sm = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            x[b] = r[b] * std::max(r[b] * 0.25, r[b] + m[b] - fit.pitch);
            const double w = weights[b];
            sxx += w * x[b] * x[b];
            sx += w * x[b];
            s0 += w;
            sxm += w * x[b] * m[b];
            sm += w * m[b];
        }
        const double det = sxx * s0 - sx * sx;
        if (s0 < 3 || det <= 0) return FrameFit{};
        q = (sxm * s0 - sm * sx) / det;
        fit.pitch = (sxx * sm - sx * sxm) / det;
        // Scale of the misfit: the median absolute residual of the bands in use.
        double residuals[kBands];
        int32_t n = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            if (weights[b] > 0) residuals[n++] = std::abs(m[b] - q * x[b] - fit.pitch);
        }
        const double scale =
            std::max(MedianInPlace(residuals, residuals + n) * 1.4826, kNoMotion / 4);
        int32_t kept = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            if (std::isnan(bands[b]) || !usable[static_cast<size_t>(b)] || r[b] <= kBelowHorizon ||
                std::abs(q) * r[b] * r[b] > kLargestMotion) {
                weights[b] = 0;
                continue;
            }
            // Tukey's biweight: a band more than 4.685 scales off counts for nothing.
            const double u = (m[b] - q * x[b] - fit.pitch) / (4.685 * scale);
            weights[b] = std::abs(u) < 1 ? (1 - u * u) * (1 - u * u) : 0;
            // A band counts as agreeing when it is within a tenth of the motion it shows.
            kept += std::abs(m[b] - q * x[b] - fit.pitch) <=
                    std::max(0.1 * std::abs(q * x[b]), kNoMotion);
        }
        fit.agreement = static_cast<double>(kept) / candidates;
    }
    fit.k = q;
    return fit;
}

// Every frame moves the bands by its own distance times one shape common to all frames, the
// square of the height below the horizon. The shape is found first, by alternating medians
// over a sample of moving frames (frame = band / shape, shape = band / frame); its square
// root is then a straight line in the height, zero at the horizon. With a horizon `guess`,
// each band's motion m is first made linear in the distance: m r / (r + m).
std::optional<double> HorizonOfShape(const FlowRecord& record, const std::vector<bool>& usable,
                                     const std::vector<int32_t>& sample,
                                     std::optional<double> guess) {
    auto valueOf = [&](int32_t f, int32_t b) {
        const double m = record.bands[static_cast<size_t>(f) * kBands + static_cast<size_t>(b)];
        const double r = guess ? Centre(b) - *guess : 0;
        if (r <= kBelowHorizon) return m;
        return r + m > 0 ? m * r / (r + m) : m;
    };
    // The horizon. Every frame moves the bands by its own distance times one shape common to
    // all frames, the square of the height below the horizon. The shape is found first, by
    // alternating medians over a sample of moving frames (frame = band / shape, shape = band /
    // frame); its square root is then a straight line in the height, zero at the horizon.
    std::vector<double> frameScale(sample.size());
    std::vector<double> values;
    for (size_t i = 0; i < sample.size(); ++i) {
        values.clear();
        for (int32_t b = kBands / 2; b < kBands; ++b) {
            const double v = valueOf(sample[i], b);
            if (usable[static_cast<size_t>(b)] && !std::isnan(v)) values.push_back(v);
        }
        frameScale[i] = values.empty() ? 0 : MedianInPlace(values);
    }
    std::vector<double> shape(kBands, 0.0);
    for (int iteration = 0; iteration < 5; ++iteration) {
        double largest = 0;
        for (int32_t b = 0; b < kBands; ++b) {
            values.clear();
            for (size_t i = 0; i < sample.size(); ++i) {
                const double v = valueOf(sample[i], b);
                if (usable[static_cast<size_t>(b)] && frameScale[i] > kNoMotion && !std::isnan(v)) {
                    values.push_back(v / frameScale[i]);
                }
            }
            shape[static_cast<size_t>(b)] = values.empty() ? 0 : MedianInPlace(values);
            largest = std::max(largest, shape[static_cast<size_t>(b)]);
        }
        for (size_t i = 0; i < sample.size(); ++i) {
            values.clear();
            for (int32_t b = 0; b < kBands; ++b) {
                const double v = valueOf(sample[i], b);
                if (shape[static_cast<size_t>(b)] > 0.05 * largest && !std::isnan(v)) {
                    values.push_back(v / shape[static_cast<size_t>(b)]);
                }
            }
            frameScale[i] = values.empty() ? 0 : MedianInPlace(values);
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
    if (points.size() < 6 || MedianInPlace(slopes) <= 0) return std::nullopt;
    const double slope = MedianInPlace(slopes);
    values.clear();
    for (const auto& [y, root] : points) values.push_back(root - slope * y);
    const double horizon = -MedianInPlace(values) / slope;
    if (!(horizon > 0 && horizon < 1)) return std::nullopt;
    return horizon;
}

// Puts a straight line across every run of values not `known`, from the known value before
// it to the one after it (the first or last known value at the ends).
void BridgeGaps(std::vector<double>& values, const std::vector<bool>& known) {
    const auto count = static_cast<int64_t>(values.size());
    int64_t before = -1;
    for (int64_t f = 0; f <= count; ++f) {
        if (f < count && !known[static_cast<size_t>(f)]) continue;
        if (f - before > 1) {
            const double from = before >= 0 ? values[static_cast<size_t>(before)]
                                            : (f < count ? values[static_cast<size_t>(f)] : 0);
            const double to = f < count ? values[static_cast<size_t>(f)] : from;
            for (int64_t g = before + 1; g < f; ++g) {
                values[static_cast<size_t>(g)] =
                    from + (to - from) * static_cast<double>(g - before) / (f - before);
            }
        }
        before = f;
    }
}

// Frames whose speed no train could reach from the speeds around it: a drop from 75 km/h to
// nothing where a dark tunnel leaves the flow nothing to follow. Followed forwards and
// backwards from the first and last frames, the speed a train could have moves towards each
// frame's reading by at most what a train can brake or speed up; a frame whose reading is
// further from it than the readings scatter is dropped, and does not move it. Each direction
// starts from the median of its first second, not from one frame that may be wrong.
std::vector<bool> PlausibleSpeeds(const std::vector<double>& metres, double framesPerSecond) {
    const auto frames = static_cast<int64_t>(metres.size());
    const double step = kMostAcceleration / framesPerSecond;
    std::vector<bool> dropped(metres.size(), false);
    for (const int64_t direction : {1, -1}) {
        const int64_t first = direction > 0 ? 0 : frames - 1;
        std::vector<double> opening;
        for (int64_t f = first; f >= 0 && f < frames && opening.size() < framesPerSecond;
             f += direction) {
            opening.push_back(metres[static_cast<size_t>(f)] * framesPerSecond);
        }
        double could = 0;
        if (!opening.empty()) {
            could = MedianInPlace(opening);
        }
        for (int64_t f = first; f >= 0 && f < frames; f += direction) {
            const double now = metres[static_cast<size_t>(f)] * framesPerSecond;
            if (std::abs(now - could) > kScatterShare * could + kScatterSpeed) {
                dropped[static_cast<size_t>(f)] = true;
                continue;
            }
            could += std::clamp(now - could, -step, step);
        }
    }
    // The frames next to a dropped one are dropped too: their readings already lean towards
    // it (the median of half a second, the picture going dark at a tunnel's mouth).
    const auto margin = static_cast<int64_t>(std::ceil(framesPerSecond / 2));
    std::vector<bool> plausible(metres.size(), true);
    for (int64_t f = 0; f < frames; ++f) {
        if (!dropped[static_cast<size_t>(f)]) continue;
        for (int64_t g = std::max<int64_t>(0, f - margin); g <= std::min(frames - 1, f + margin);
             ++g) {
            plausible[static_cast<size_t>(g)] = false;
        }
    }
    return plausible;
}

}  // namespace

void FlowRecord::Append(const FlowField& field, int32_t covered) {
    const size_t start = bands.size();
    bands.resize(start + kBands, 0.0f);
    measuredOver.push_back(static_cast<uint8_t>(std::clamp(covered, 1, kMostCovered)));
    if (field.width <= 0 || field.height <= 0) return;
    std::vector<float> values;
    for (int32_t b = 0; b < kBands; ++b) {
        const int32_t top = b * field.height / kBands;
        const int32_t bottom = std::max(top + 1, (b + 1) * field.height / kBands);
        values.clear();
        for (int32_t y = top; y < bottom && y < field.height; ++y) {
            const size_t row = static_cast<size_t>(y) * static_cast<size_t>(field.width);
            for (int32_t x = 0; x < field.width; ++x) {
                const float v = field.dy[row + static_cast<size_t>(x)];
                if (!std::isnan(v)) values.push_back(v);
            }
        }
        if (values.empty()) {
            bands[start + static_cast<size_t>(b)] = std::nanf("");
            continue;
        }
        bands[start + static_cast<size_t>(b)] =
            MedianInPlace(values) / static_cast<float>(field.height);
    }
}

void FlowRecord::AppendCovered() {
    bands.resize(bands.size() + kBands, std::nanf(""));
    measuredOver.push_back(0);
}

std::optional<TrackMotion> EstimateTrackMotion(const FlowRecord& record, std::string& error) {
    const int32_t frames = record.FrameCount();
    auto bandsOf = [&](int32_t f) { return record.bands.data() + static_cast<size_t>(f) * kBands; };

    auto coveredBy = [&](int32_t f) {
        return static_cast<int32_t>(record.measuredOver[static_cast<size_t>(f)]);
    };

    std::vector<int32_t> moving;
    for (int32_t f = 1; f < frames; ++f) {
        if (coveredBy(f) == 0) continue;
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

    // The horizon: found on the bands as measured, then again on their motion made linear in
    // the distance with the horizon found before (fast frames move the near rows more than
    // the square law says), until it settles.
    std::vector<int32_t> sample;
    const size_t step = std::max<size_t>(1, moving.size() / 2000);
    for (size_t i = 0; i < moving.size(); i += step) sample.push_back(moving[i]);
    std::optional<double> found;
    for (int pass = 0; pass < 4; ++pass) {
        const auto next = HorizonOfShape(record, usable, sample, found);
        if (!next) break;
        const bool settled = found && std::abs(*next - *found) < 0.002;
        found = next;
        if (settled) break;
    }
    if (!found) {
        error = "the video's motion does not look like a view along a track";
        return std::nullopt;
    }
    const double bestHorizon = *found;

    TrackMotion motion;
    motion.framesPerSecond = record.framesPerSecond > 0 ? record.framesPerSecond : 30;
    motion.horizon = bestHorizon;
    motion.forward.assign(static_cast<size_t>(frames), 0.0);
    motion.still.assign(static_cast<size_t>(frames), false);
    double lowest = 0;
    for (int32_t b = 0; b < kBands; ++b) {
        if (usable[static_cast<size_t>(b)]) lowest = std::max(lowest, Centre(b) - bestHorizon);
    }
    // A frame that no measurement covers (the end of a record cut short) is not sure.
    std::vector<bool> quiet(static_cast<size_t>(frames), true);
    std::vector<bool> sure(static_cast<size_t>(frames), false);
    for (int32_t f = 1; f < frames; ++f) {
        const int32_t covered = coveredBy(f);
        if (covered == 0) continue;
        // The geometry holds for any distance, so the measurement is read as it stands and
        // its distance shared out evenly over the frames it covers.
        const FrameFit fit = FitFrame(bandsOf(f), usable, bestHorizon);
        const bool still = fit.k * lowest * lowest < kNoMotion;
        for (int32_t g = std::max(1, f - covered + 1); g <= f; ++g) {
            motion.forward[static_cast<size_t>(g)] = std::max(0.0, fit.k) / covered;
            quiet[static_cast<size_t>(g)] = still;
            sure[static_cast<size_t>(g)] = still || fit.agreement >= kAgreement;
        }
    }
    if (frames > 1) {
        motion.forward[0] = motion.forward[1];
        quiet[0] = quiet[1];
        sure[0] = sure[1];
    }
    // Where the bands do not agree (a dark tunnel, a passing train filling the view) the
    // picture says nothing about the speed; a train's speed changes little in the time, so the
    // frames take the speed of the nearest frames that do, in a straight line between them.
    BridgeGaps(motion.forward, sure);
    for (int32_t f = 0; f < frames; ++f) {
        if (!sure[static_cast<size_t>(f)]) quiet[static_cast<size_t>(f)] = false;
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
    // Metres per unit of motion: least squares over the spans.
    auto scaleOf = [&](const std::vector<double>& forward) -> std::optional<double> {
        std::vector<double> sum(forward.size() + 1, 0);
        for (size_t f = 0; f < forward.size(); ++f) sum[f + 1] = sum[f] + forward[f];
        double sxy = 0;
        double sxx = 0;
        for (const KnownSpan& span : spans) {
            const std::string name = "the span " + ToDecimal(span.from) + ":" + ToDecimal(span.to);
            if (span.from < 0 || span.to >= frames || span.from >= span.to) {
                error =
                    name + " must run forwards within the video's " + ToDecimal(frames) + " frames";
                return std::nullopt;
            }
            if (!(span.metres > 0)) {
                error = name + " needs a length of more than 0 m";
                return std::nullopt;
            }
            // Motion from frame a to frame b: the steps of frames a+1 .. b.
            const double m =
                sum[static_cast<size_t>(span.to) + 1] - sum[static_cast<size_t>(span.from) + 1];
            if (m <= 0) {
                error = name + " shows no motion along the track";
                return std::nullopt;
            }
            sxy += m * span.metres;
            sxx += m * m;
        }
        return sxy / sxx;
    };
    const auto provisional = scaleOf(motion.forward);
    if (!provisional) return std::nullopt;

    // The per-frame motion is noisy, and a frame the matching got wrong is far off: a train
    // cannot change its speed much in half a second, so each frame takes the median of the
    // half second around it. Speeds no train could reach are bridged before the spans set the
    // scale, as a tunnel inside a span would otherwise stretch the whole ride.
    constexpr int64_t half = 7;
    std::vector<double> steady(motion.forward.size());
    std::vector<double> window;
    for (int64_t f = 0; f < frames; ++f) {
        const int64_t a = std::max<int64_t>(0, f - half);
        const int64_t b = std::min<int64_t>(frames, f + half + 1);
        window.assign(motion.forward.begin() + a, motion.forward.begin() + b);
        steady[static_cast<size_t>(f)] = MedianInPlace(window);
    }
    std::vector<double> metres(steady.size());
    for (size_t f = 0; f < metres.size(); ++f) metres[f] = steady[f] * *provisional;
    const std::vector<bool> plausible = PlausibleSpeeds(metres, motion.framesPerSecond);
    BridgeGaps(steady, plausible);
    const auto scale = scaleOf(steady);
    if (!scale) return std::nullopt;
    for (size_t f = 0; f < metres.size(); ++f) metres[f] = steady[f] * *scale;

    // The mean of the medians over the same half second smooths the steps they leave.
    std::vector<double> prefix(metres.size() + 1, 0);
    for (size_t f = 0; f < metres.size(); ++f) prefix[f + 1] = prefix[f] + metres[f];
    SpeedProfile profile;
    profile.kmh.resize(metres.size());
    for (int64_t f = 0; f < frames; ++f) {
        if (motion.still[static_cast<size_t>(f)] && plausible[static_cast<size_t>(f)]) continue;
        const int64_t a = std::max<int64_t>(0, f - half);
        const int64_t b = std::min<int64_t>(frames, f + half + 1);
        profile.kmh[static_cast<size_t>(f)] = SpeedProfile::FromMetresPerFrame(
            (prefix[static_cast<size_t>(b)] - prefix[static_cast<size_t>(a)]) /
            static_cast<double>(b - a));
    }
    return profile;
}

}  // namespace kelvaron
