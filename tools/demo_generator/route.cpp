#include "route.h"

#include <algorithm>
#include <cmath>

#include "data/track_position_table.h"

namespace kelvaron::demo {

namespace {

// One ramp of the filming train's speed: to `speed` km/h over `frames` frames.
struct Phase {
    int32_t speed;
    int32_t frames;
};

// Between two stops the filming train pulls away briskly, runs up to its line
// speed, holds it and brakes in two stages, the last gently into the platform.
// The standstills at the platforms are cut out of the video.
const std::vector<std::vector<Phase>> kSections = {
    {{45, 370}, {65, 370}, {65, 240}, {30, 360}, {3, 300}},
    // the 45 km/h curve before 緑ヶ丘: phases 3 and 4
    {{45, 370}, {60, 240}, {60, 120}, {45, 180}, {45, 300}, {30, 180}, {3, 300}},
    {{45, 370}, {75, 480}, {75, 330}, {30, 450}, {3, 300}},
    // the 35 km/h points into the terminal begin inside phase 3
    {{45, 370}, {60, 240}, {60, 240}, {30, 330}, {3, 300}},
};
constexpr int32_t kFirstSpeed = 6;
constexpr int32_t kStopSpeed = 3;
constexpr int32_t kLeadIn = 120;  // frames of the arrival at the first platform
constexpr int32_t kRunOut = 240;  // frames after the last stop
constexpr int32_t kRunOutSpeed = 8;
constexpr int32_t kZoneHalfFrames = 110;  // about 8 m either side of the stop mark

struct StationName {
    const char* name;
    const char* reading;
    const char* roman;
};
const StationName kStationNames[] = {
    {"北浜", "きたはま", "Kitahama"},          {"桜台", "さくらだい", "Sakuradai"},
    {"緑ヶ丘", "みどりがおか", "Midorigaoka"}, {"東川", "ひがしかわ", "Higashikawa"},
    {"港町", "みなとまち", "Minatomachi"},
};

// Voices of the signal names, numbered as the call-out voice list numbers them.
constexpr int32_t kCallFirstBlock = 0;
constexpr int32_t kCallSecondBlock = 1;
constexpr int32_t kCallThirdBlock = 2;
constexpr int32_t kCallHome = 4;
constexpr int32_t kCallDeparture = 5;
constexpr int32_t kCallRepeater = 6;

class ProfileBuilder {
  public:
    explicit ProfileBuilder(int32_t speed) : speed_(speed) {}
    int32_t Ramp(int32_t speed, int32_t frames) {
        units_.push_back({frame_, frame_ + frames, speed_, speed, 0});
        frame_ += frames;
        speed_ = speed;
        return frame_;
    }
    std::vector<SpeedUnitData> Units() const { return units_; }

  private:
    std::vector<SpeedUnitData> units_;
    int32_t frame_ = 0;
    int32_t speed_;
};

}  // namespace

double Route::MetresAt(double frame) const {
    if (units.empty()) return 0;
    frame = std::clamp(frame, static_cast<double>(units.front().StartFrame),
                       static_cast<double>(units.back().EndFrame));
    int32_t base = 0;
    for (const SpeedUnitData& unit : units) {
        if (frame <= unit.EndFrame) {
            return (base + static_cast<double>(DistanceIntoUnit(unit, frame))) / 100.0;
        }
        base = unit.CumulativeDistance;
    }
    return base / 100.0;
}

int32_t Route::FrameAt(double metres) const {
    int32_t low = 0;
    int32_t high = lastFrame;
    while (low < high) {
        const int32_t mid = low + (high - low) / 2;
        if (MetresAt(mid) >= metres) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

double Route::FilmingSpeedAt(double frame) const {
    for (const SpeedUnitData& unit : units) {
        if (frame <= unit.EndFrame) {
            const double t = (frame - unit.StartFrame) / (unit.EndFrame - unit.StartFrame);
            return unit.StartSpeed + (unit.EndSpeed - unit.StartSpeed) * std::clamp(t, 0.0, 1.0);
        }
    }
    return units.empty() ? 0 : units.back().EndSpeed;
}

double Route::CurvatureAt(double metres) const {
    constexpr double kTransition = 30;  // metres over which a curve's bend builds up
    for (const CurveSite& c : curves) {
        if (metres <= c.start || metres >= c.end) continue;
        const double into = std::min(metres - c.start, c.end - metres);
        return c.curvature * std::min(1.0, into / kTransition);
    }
    return 0;
}

double Route::GradientAt(double metres) const {
    for (const GradeSite& g : grades) {
        if (metres >= g.at.start && metres < g.at.end) return g.permil;
    }
    return 0;
}

bool Route::InTunnel(double metres) const {
    for (const Stretch& t : tunnels) {
        if (metres >= t.start && metres <= t.end) return true;
    }
    return false;
}

Route BuildRoute() {
    Route r;
    ProfileBuilder profile(kFirstSpeed);
    std::vector<int32_t> stops{profile.Ramp(kStopSpeed, kLeadIn)};
    std::vector<std::vector<int32_t>> phaseEnds;
    for (const auto& section : kSections) {
        phaseEnds.emplace_back();
        for (const Phase& phase : section) {
            phaseEnds.back().push_back(profile.Ramp(phase.speed, phase.frames));
        }
        stops.push_back(phaseEnds.back().back());
    }
    r.lastFrame = profile.Ramp(kRunOutSpeed, kRunOut);
    r.units = profile.Units();
    int32_t total = 0;
    for (SpeedUnitData& unit : r.units) {
        total += UnitLength(unit).value_or(0);
        unit.CumulativeDistance = total;
    }

    for (size_t i = 0; i < stops.size(); ++i) {
        StationSite s;
        s.name = kStationNames[i].name;
        s.reading = kStationNames[i].reading;
        s.roman = kStationNames[i].roman;
        s.stopFrame = stops[i];
        s.zoneStart = std::max(0, stops[i] - kZoneHalfFrames);
        s.zoneEnd = std::min(r.lastFrame, stops[i] + kZoneHalfFrames);
        s.stopMetres = r.MetresAt(s.stopFrame);
        r.stations.push_back(s);
    }
    const auto stop = [&](int i) { return r.stations[static_cast<size_t>(i)].stopMetres; };

    // Signals in line order. Departure signals stand just past the platform,
    // their alarm points past the stop mark so that a train standing at a red
    // departure signal is not rung at.
    const auto addSignal = [&](const char* name, SignalRole role, int32_t type, int32_t call,
                               double metres, int32_t station) {
        SignalSite s;
        s.name = name;
        s.role = role;
        s.type = type;
        s.callNumber = call;
        s.metres = metres;
        s.frame = r.FrameAt(metres);
        s.station = station;
        s.alarmMetres = role == SignalRole::Departure ? stop(station) + 40 : metres - 150;
        s.alarmFrame = r.FrameAt(s.alarmMetres);
        // A signal comes into view only once the one before has been passed by
        // more than its limit point's 30-frame window: that window reads the
        // picture on display, and a red one would count as passed at danger.
        const int32_t previous = r.signals.empty() ? 0 : r.signals.back().frame + 35;
        s.viewStart = std::max(previous, r.FrameAt(metres - 350));
        r.signals.push_back(s);
    };
    addSignal("出発", SignalRole::Departure, 2, kCallDeparture, stop(0) + 100, 0);
    addSignal("第1閉塞", SignalRole::Block, 4, kCallFirstBlock, stop(0) + 260, 1);
    addSignal("場内", SignalRole::Home, 3, kCallHome, stop(1) - 200, 1);
    addSignal("出発", SignalRole::Departure, 2, kCallDeparture, stop(1) + 100, 1);
    addSignal("中継", SignalRole::Repeater, 0, kCallRepeater, stop(2) - 330, 2);
    addSignal("場内", SignalRole::Home, 5, kCallHome, stop(2) - 180, 2);
    addSignal("出発", SignalRole::Departure, 2, kCallDeparture, stop(2) + 100, 2);
    addSignal("第2閉塞", SignalRole::Block, 3, kCallSecondBlock, stop(2) + 300, 3);
    addSignal("第3閉塞", SignalRole::Block, 4, kCallThirdBlock, stop(2) + 470, 3);
    addSignal("場内", SignalRole::Home, 3, kCallHome, stop(3) - 200, 3);
    addSignal("出発", SignalRole::Departure, 2, kCallDeparture, stop(3) + 100, 3);
    addSignal("場内", SignalRole::Home, 1, kCallHome, stop(4) - 180, 4);

    // The 45 km/h curve is the filming train's constant-speed phase before
    // 緑ヶ丘; the 35 km/h limit over the terminal's points starts where the
    // filming train has braked to 35 km/h and lasts into the platform.
    // Places start one frame inside a unit so that none is entered twice in
    // the event table (a frame on a unit boundary belongs to both units).
    const auto& curvePhases = phaseEnds[1];
    LimitSite curve{45, curvePhases[3] + 1, curvePhases[4], r.MetresAt(curvePhases[3] + 1),
                    r.MetresAt(curvePhases[4])};
    const auto& lastPhases = phaseEnds[3];
    const int32_t pointsStart = lastPhases[2] + (kSections[3][3].frames * 25) / 30;
    LimitSite points{35, pointsStart, r.stations.back().zoneEnd, r.MetresAt(pointsStart),
                     r.MetresAt(r.stations.back().zoneEnd)};
    r.limits = {curve, points};
    r.speedChecks = {r.Point(curve.startMetres + 30)};

    r.tunnels = {r.StretchOf(stop(2) + 360, stop(2) + 560)};
    r.bridge = r.StretchOf(stop(3) + 120, stop(3) + 190);
    r.crossings = {r.Point(stop(0) + 330), r.Point(stop(3) + 290)};
    r.whistleBoards = {r.Point(r.tunnels[0].start - 150)};
    r.crossingBoards = {r.Point(r.crossings[0].metres - 120)};

    r.curves = {
        {stop(0) + 150, stop(0) + 400, 1.0 / 1000},
        {curve.startMetres + 5, curve.endMetres - 5, -1.0 / 400},
        {stop(2) + 120, stop(2) + 330, 1.0 / 800},
        {stop(4) - 260, stop(4) - 120, -1.0 / 600},
    };
    r.grades = {
        {5.0, r.StretchOf(stop(0) + 150, stop(1) - 150)},
        {8.5, r.StretchOf(stop(1) + 150, stop(2) - 250)},
        {0.0, r.tunnels[0]},
        {-10.0, r.StretchOf(r.tunnels[0].end, stop(3) - 150)},
        {-6.0, r.StretchOf(stop(3) + 200, stop(4) - 150)},
    };

    for (size_t i = 0; i + 1 < r.stations.size(); ++i) {
        r.announceLocal.push_back({stops[i] + 420, r.MetresAt(stops[i] + 420)});
    }
    r.announceLocal.push_back(r.Point(stop(4) - 300));

    r.passingTrain.meet = r.Point(stop(1) + 200);
    r.passingTrain.speedKmh = 60;
    r.passingTrain.soundStartFrame = r.FrameAt(stop(1) + 185);
    r.timeChecks = {r.Point(stop(0) + 300), r.Point(stop(2) + 250)};
    return r;
}

}  // namespace kelvaron::demo
