#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/line_definition.h"
#include "data/train_config.h"
#include "sim/run_state.h"

namespace kelvaron {

// Distance from the line's start of a frame of the cab video, in 1/100 m, by
// the filming-speed table (the measure of the stop positions and limits).
long double FrameDistance(const LineDefinition& line, int32_t frame);

// At rest as the driver sees it. On a grade a braked train's speed hovers
// within a hair of zero instead of staying at it.
inline bool AtRest(const RunState& state) {
    return state.Speed > -1000 && state.Speed < 1000;  // 0.1 km/h
}

// Where a frame lies among the stations, for reports: "at 桜台",
// "between 北浜 and 桜台".
std::string PlaceOnLine(const LineDefinition& line, int32_t frame);

// Something the driver must respect ahead: a speed not to exceed while the
// head of the train is between two places, or (speed 0) a place not to pass.
struct Restriction {
    enum class Kind { Limit, CheckPoint, SignalAtDanger, SignalAspect, LineEnd };
    Kind kind = Kind::Limit;
    int32_t index = -1;     // of the limit, check point or signal
    long double speed = 0;  // km/h; 0: stop before `from`
    int32_t fromFrame = 0, toFrame = 0;
    long double from = 0, to = 0;  // 1/100 m
    // True while the train's head lies where the restriction applies.
    bool Holds(int32_t frame, long double distance) const;
};

// The line as the driver reads it ahead of the train: limits, check points,
// signals with the aspect they show now (or will show when they come into
// view), and the end of the line, with the protection's own rules folded in:
// a braking-pattern protection wants the limits and stop signals kept well
// before they begin, cab signalling wants the aspect's speed from the moment
// the signal comes into view.
class LineAhead {
  public:
    LineAhead(const LineDefinition& line, const TrainConfig& train);

    // Every restriction whose end lies ahead of `distance`, nearest first,
    // as the signals stand now. `line` is the run's line (its aspects change).
    std::vector<Restriction> From(const RunState& state, const LineDefinition& line) const;

    // The next station after `station` where trains stop, or -1.
    int32_t NextStop(const LineDefinition& line, int32_t station) const;
    // Station whose stop zone holds the frame, trains stopping there, or -1.
    static int32_t StopZoneAt(const LineDefinition& line, int32_t frame);

    // How far before a place not to pass the protection wants the train
    // stopped (1/100 m), and how far before a limit it wants the speed down.
    long double StopMargin() const { return stopMargin_; }
    long double LimitMargin() const { return limitMargin_; }

    const std::vector<long double>& SignalStops() const { return signalStop_; }

  private:
    int32_t AspectSpeed(const LineDefinition& line, int32_t image) const;

    int32_t atsType_ = 0;
    int32_t atsAlert_ = 0;
    long double stopMargin_ = 0;
    long double limitMargin_ = 0;
    std::vector<Restriction> limits_;      // line limits and check points, by place
    std::vector<long double> signalView_;  // per signal: where it comes into view
    std::vector<long double> signalStop_;  // per signal: the place not to pass at danger
    std::vector<int32_t> signalStopFrame_;
    std::vector<long double> signalLimitPoint_;  // per signal: its limit point
    long double lineEnd_ = 0;
};

}  // namespace kelvaron
