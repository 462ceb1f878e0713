#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/line_definition.h"

namespace kelvaron {

// The filming speed frame by frame, in the unit of the line file: km/h at 30
// frames a second, that is metres per frame times 108. A video of another
// frame rate is measured in its own frames, so its line plays at the right
// distance (its speeds are the real speeds times 30 / rate).
struct SpeedProfile {
    int32_t firstFrame = 0;
    std::vector<double> kmh;  // kmh[i]: speed at frame firstFrame + i

    static double FromMetresPerFrame(double metres) { return metres * 108.0; }
};

struct SpeedFit {
    std::vector<SpeedUnitData> units;
    double tolerance = 0;  // km/h the units keep to; more than asked when the file's 501 units
                           // or its whole-km/h speeds needed more
};

constexpr double kDefaultSpeedTolerance = 1.0;

// The fewest [SpeedUnit] records (whole frames, whole km/h, linear in between)
// that keep within `tolerance` km/h of every frame's speed, within the file's
// capacity. Speeds below 0 count as standing. Empty with a reason when there
// is nothing to fit or the tolerance is not a positive number.
std::optional<SpeedFit> FitSpeedUnits(const SpeedProfile& profile, double tolerance,
                                      std::string& error);

// The [SpeedUnit] section's lines for the units, ended by "#".
std::string SpeedUnitSection(const std::vector<SpeedUnitData>& units);

}  // namespace kelvaron
