#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/line_definition.h"

namespace kelvaron::demo {

// The demo line as it was "filmed": the filming train's speed profile and
// everything beside the track, placed by video frame and by metres along the
// line. Both line files and the cab-view video are made from this one route,
// so the pictures and the data agree.

struct StationSite {
    std::string name;     // as shown in the cab: 北浜
    std::string reading;  // hiragana, for the voices: きたはま
    std::string roman;    // for the platform name board: Kitahama
    int32_t stopFrame = 0;
    int32_t zoneStart = 0;
    int32_t zoneEnd = 0;
    double stopMetres = 0;
};

enum class SignalRole { Departure, Block, Repeater, Home };

struct SignalSite {
    std::string name;  // shown beside the signal picture
    SignalRole role = SignalRole::Block;
    int32_t type = 0;        // 0 repeater, 1..5 block signals by their number of aspects
    int32_t callNumber = 0;  // number of the voice that calls the signal's name
    int32_t frame = 0;       // the signal itself: block boundary and limit point
    int32_t viewStart = 0;
    int32_t alarmFrame = 0;
    double metres = 0;
    double alarmMetres = 0;
    int32_t station = 0;  // station the signal belongs to (the one behind or ahead)
};

struct LimitSite {
    int32_t speed = 0;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
    double startMetres = 0;
    double endMetres = 0;
};

// A stretch of line in metres with its frames.
struct Stretch {
    double start = 0;
    double end = 0;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
};

struct GradeSite {
    double permil = 0;  // + uphill
    Stretch at;
};

struct CurveSite {
    double start = 0;  // metres, including the transitions
    double end = 0;
    double curvature = 0;  // 1/m, + to the right
};

struct PointSite {
    int32_t frame = 0;
    double metres = 0;
};

struct PassingTrainSite {
    PointSite meet;       // where the oncoming train's cab passes ours
    double speedKmh = 0;  // the oncoming train's speed
    int32_t soundStartFrame = 0;
};

struct Route {
    std::vector<SpeedUnitData> units;  // CumulativeDistance filled
    std::vector<StationSite> stations;
    std::vector<SignalSite> signals;
    std::vector<LimitSite> limits;  // [0] the 45 km/h curve, [1] the 35 km/h points
    std::vector<PointSite> speedChecks;
    std::vector<Stretch> tunnels;
    Stretch bridge;
    std::vector<GradeSite> grades;
    std::vector<CurveSite> curves;
    std::vector<PointSite> crossings;
    std::vector<PointSite> whistleBoards;   // before the tunnel
    std::vector<PointSite> crossingBoards;  // warning of the first crossing
    std::vector<PointSite> announceLocal;   // one per section: "next stop ..."
    PassingTrainSite passingTrain;
    std::vector<PointSite> timeChecks;  // two timing points
    int32_t lastFrame = 0;              // EndFrame of the last filming-speed unit

    // Metres from frame 0 to `frame`, by the same rule the simulator uses.
    double MetresAt(double frame) const;
    // The first whole frame at or beyond `metres`.
    int32_t FrameAt(double metres) const;
    // Filming speed in km/h at a frame (linear inside a unit).
    double FilmingSpeedAt(double frame) const;
    // Track curvature (1/m, + right) and gradient (permil) at a place.
    double CurvatureAt(double metres) const;
    double GradientAt(double metres) const;
    bool InTunnel(double metres) const;
    bool OnBridge(double metres) const { return metres >= bridge.start && metres <= bridge.end; }
    double LengthMetres() const { return MetresAt(lastFrame); }

    PointSite Point(double metres) const { return {FrameAt(metres), metres}; }
    Stretch StretchOf(double start, double end) const {
        return {start, end, FrameAt(start), FrameAt(end)};
    }
};

Route BuildRoute();

}  // namespace kelvaron::demo
