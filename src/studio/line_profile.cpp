#include "studio/line_profile.h"

#include "common/fixed4.h"
#include "data/track_position_table.h"

namespace kelvaron {

namespace {

void AddStep(const LineDefinition& line, int32_t from, int32_t to, double value,
             std::vector<ProfileStep>& steps) {
    const auto start = PositionOfFrame(line, from);
    const auto end = PositionOfFrame(line, to);
    if (!start || !end) return;
    steps.push_back({*start / 100.0, *end / 100.0, value});
}

}  // namespace

LineProfile BuildLineProfile(const LineDefinition& line) {
    LineProfile profile;
    if (!line.SpeedUnit.empty())
        profile.lengthMetres = line.SpeedUnit.back().CumulativeDistance / 100.0;
    for (const auto& limit : line.SpeedLimit) {
        AddStep(line, limit.StartFrame, limit.EndFrame, limit.LimitSpeed, profile.limits);
    }
    for (const auto& slope : line.Slope) {
        AddStep(line, slope.StartFrame, slope.EndFrame,
                static_cast<double>(slope.Gradient) / kFixed4Scale, profile.gradients);
    }
    for (const auto& station : line.Station) {
        const auto at = PositionOfFrame(
            line, (static_cast<long double>(station.ZoneStart) + station.ZoneEnd) / 2);
        if (station.Kind != 1 && at) profile.stations.push_back(*at / 100.0);
    }
    return profile;
}

}  // namespace kelvaron
