#include "studio/speed_fitting.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/common_util.h"

namespace kelvaron {

namespace {

constexpr double kFastestFilmingSpeed = 1000;  // km/h

// Greedy from the start: each unit runs as far as one straight line from the
// last unit's end can stay within the tolerance of every frame and still end
// on a whole km/h. The slopes that keep all frames so far within reach form a
// cone narrowed frame by frame, so each unit costs one pass over its frames.
// Empty when some frame has no whole km/h within the tolerance.
std::optional<std::vector<SpeedUnitData>> Fit(const std::vector<double>& v, int32_t first,
                                              double tol, size_t capacity) {
    const size_t n = v.size();
    std::vector<SpeedUnitData> units;
    double startSpeed = std::round(v[0]);
    if (std::abs(startSpeed - v[0]) > tol) {
        startSpeed = std::ceil(v[0] - tol);
        if (startSpeed > v[0] + tol) return std::nullopt;
    }
    size_t start = 0;
    constexpr double kSlack = 1e-9;
    while (start + 1 < n) {
        double low = -std::numeric_limits<double>::infinity();
        double high = std::numeric_limits<double>::infinity();
        size_t bestEnd = 0;
        double bestSpeed = 0;
        for (size_t j = start + 1; j < n; ++j) {
            const double length = static_cast<double>(j - start);
            low = std::max(low, (v[j] - tol - startSpeed) / length);
            high = std::min(high, (v[j] + tol - startSpeed) / length);
            if (low > high + kSlack) break;
            const double endLow = std::max(0.0, std::ceil(startSpeed + low * length - kSlack));
            const double endHigh = std::floor(startSpeed + high * length + kSlack);
            if (endLow <= endHigh) {
                bestEnd = j;
                bestSpeed = std::clamp(std::round(v[j]), endLow, endHigh);
            }
        }
        if (bestEnd == 0) return std::nullopt;
        if (units.size() == capacity) return std::nullopt;
        units.push_back({.StartFrame = first + static_cast<int32_t>(start),
                         .EndFrame = first + static_cast<int32_t>(bestEnd),
                         .StartSpeed = static_cast<int32_t>(startSpeed),
                         .EndSpeed = static_cast<int32_t>(bestSpeed)});
        start = bestEnd;
        startSpeed = bestSpeed;
    }
    return units;
}

}  // namespace

std::optional<SpeedFit> FitSpeedUnits(const SpeedProfile& profile, double tolerance,
                                      std::string& error) {
    if (profile.kmh.size() < 2) {
        error = "a filming speed needs at least two frames";
        return std::nullopt;
    }
    if (!(tolerance > 0) || !std::isfinite(tolerance)) {
        error = "the tolerance must be more than 0 km/h";
        return std::nullopt;
    }
    std::vector<double> speeds = profile.kmh;
    for (double& s : speeds) {
        if (!std::isfinite(s)) {
            error = "the filming speed has a frame without a value";
            return std::nullopt;
        }
        // Whole km/h must fit the file's 32-bit fields; no film is shot faster than this.
        s = std::clamp(s, 0.0, kFastestFilmingSpeed);
    }
    // A tighter fit than the file can hold is widened step by step; the caller is told.
    for (double tol = tolerance;; tol *= 1.25) {
        if (auto units = Fit(speeds, profile.firstFrame, tol, kMaxListEntries)) {
            return SpeedFit{.units = std::move(*units), .tolerance = tol};
        }
    }
}

std::string SpeedUnitSection(const std::vector<SpeedUnitData>& units) {
    std::string text = "[SpeedUnit]\n";
    for (const auto& u : units) {
        text += ToDecimal(u.StartFrame) + "," + ToDecimal(u.EndFrame) + "," +
                ToDecimal(u.StartSpeed) + "," + ToDecimal(u.EndSpeed) + "\n";
    }
    return text + "#\n";
}

}  // namespace kelvaron
