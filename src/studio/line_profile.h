#pragma once

#include <vector>

#include "data/line_definition.h"

namespace kelvaron {

// What the line asks of a driver over distance, for the studio's chart: the
// speed limits and the gradients, each over the stretch between the
// distances of its first and last frame.
struct ProfileStep {
    double startMetres = 0;
    double endMetres = 0;
    double value = 0;  // km/h, or permil (+ uphill)
};

struct LineProfile {
    double lengthMetres = 0;
    std::vector<ProfileStep> limits;
    std::vector<ProfileStep> gradients;
    std::vector<double> stations;  // stop positions, metres
};

// From a line whose track position table is built; stretches that lie
// outside the filming-speed units are left out.
LineProfile BuildLineProfile(const LineDefinition& line);

}  // namespace kelvaron
