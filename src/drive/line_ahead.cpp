#include "drive/line_ahead.h"

#include <algorithm>

#include "data/track_position_table.h"
#include "run/signal_image_classes.h"
#include "run/signals.h"

namespace kelvaron {

namespace {

constexpr long double kMetre = 100;  // 1/100 m
// Beyond this nothing ahead can matter yet: no train brakes for longer.
constexpr long double kHorizon = 4000 * kMetre;
// A braking-pattern protection warns 50 m before its own braking curve ends.
constexpr long double kPatternLead = 60 * kMetre;
constexpr long double kPlainStopMargin = 15 * kMetre;
constexpr long double kPlainLimitMargin = 5 * kMetre;
constexpr int32_t kCheckWindow = 10;  // frames after a check point

bool OnDisplay(const SignalData& signal, int32_t frame) {
    return signal.ViewStart <= frame && frame < signal.SignalFrame;
}

// The picture a signal shows: the run keeps the picture in Aspect while the
// signal is on display, the raw aspect otherwise.
int32_t ImageNow(const SignalData& signal, int32_t frame) {
    return OnDisplay(signal, frame) ? signal.Aspect : SignalImageFor(signal.Type, signal.Aspect);
}

}  // namespace

long double FrameDistance(const LineDefinition& line, int32_t frame) {
    const auto& units = line.SpeedUnit;
    if (units.empty() || frame <= units.front().StartFrame) return 0;
    for (size_t i = 0; i < units.size(); ++i) {
        const SpeedUnitData& u = units[i];
        if (frame < u.EndFrame) {
            const long double base = i == 0 ? 0 : units[i - 1].CumulativeDistance;
            return base + DistanceIntoUnit(u, frame);
        }
    }
    // Past the table the video runs on at the last filming speed.
    const SpeedUnitData& last = units.back();
    return last.CumulativeDistance +
           static_cast<long double>(last.EndSpeed) / 3.6L * (frame - last.EndFrame) / 30 * kMetre;
}

std::string PlaceOnLine(const LineDefinition& line, int32_t frame) {
    const auto& stations = line.Station;
    for (size_t i = 0; i < stations.size(); ++i) {
        if (stations[i].ZoneStart <= frame && frame <= stations[i].ZoneEnd) {
            return "at " + stations[i].Name;
        }
        if (frame < stations[i].ZoneStart) {
            if (i == 0) return "before " + stations[i].Name;
            return "between " + stations[i - 1].Name + " and " + stations[i].Name;
        }
    }
    return stations.empty() ? "on the line" : "beyond " + stations.back().Name;
}

bool Restriction::Holds(int32_t frame, long double distance) const {
    switch (kind) {
        case Kind::Limit:
            return fromFrame < frame && frame < toFrame;
        case Kind::CheckPoint:
            return JustPast(frame, fromFrame, kCheckWindow);
        case Kind::SignalAspect:
            return fromFrame <= frame && frame < toFrame;
        case Kind::SignalAtDanger:
        case Kind::LineEnd:
            return frame >= fromFrame || distance >= from;
    }
    return false;
}

LineAhead::LineAhead(const LineDefinition& line, const TrainConfig& train)
    : atsType_(train.ATS_Type), atsAlert_(train.ATS_Alert) {
    stopMargin_ = atsType_ == 1 ? kPatternLead + 10 * kMetre : kPlainStopMargin;
    limitMargin_ = atsType_ == 1 ? kPatternLead : kPlainLimitMargin;

    // A speed between two frames of the line.
    auto between = [&](Restriction::Kind kind, size_t index, int32_t speed, int32_t from,
                       int32_t to) {
        Restriction r;
        r.kind = kind;
        r.index = static_cast<int32_t>(index);
        r.speed = speed;
        r.fromFrame = from;
        r.toFrame = to;
        r.from = FrameDistance(line, from);
        r.to = FrameDistance(line, to);
        limits_.push_back(r);
    };
    for (size_t i = 0; i < line.SpeedLimit.size(); ++i) {
        const SpeedLimitData& l = line.SpeedLimit[i];
        between(Restriction::Kind::Limit, i, l.LimitSpeed, l.StartFrame, l.EndFrame);
    }
    for (size_t i = 0; i < line.SpeedCheck.size(); ++i) {
        const SpeedCheckData& c = line.SpeedCheck[i];
        between(Restriction::Kind::CheckPoint, i, c.CheckSpeed, c.CheckFrame,
                c.CheckFrame + kCheckWindow);
    }
    for (const SignalData& s : line.Signal) {
        // Passing the limit point at danger brakes the train as surely as
        // passing the signal; cab signalling brakes as soon as it is in view.
        int32_t stopFrame = std::min(s.LimitFrame, s.SignalFrame);
        if (atsType_ == 2) stopFrame = s.ViewStart;
        signalView_.push_back(FrameDistance(line, s.ViewStart));
        signalStop_.push_back(FrameDistance(line, stopFrame));
        signalStopFrame_.push_back(stopFrame);
        signalLimitPoint_.push_back(FrameDistance(line, s.LimitFrame));
    }
    lineEnd_ = FrameDistance(line, kLineEndFrame);
}

int32_t LineAhead::AspectSpeed(const LineDefinition& line, int32_t image) const {
    if (IsYYImage(image)) return line.Speed_YY;
    if (IsYImage(image)) return line.Speed_Y;
    if (IsYGImage(image)) return line.Speed_YG;
    return 0;
}

std::vector<Restriction> LineAhead::From(const RunState& state, const LineDefinition& line) const {
    const long double here = state.Distance;
    std::vector<Restriction> ahead;
    auto keep = [&](const Restriction& r) {
        if (r.to >= here && r.from < here + kHorizon) ahead.push_back(r);
    };
    for (const Restriction& r : limits_) keep(r);

    const auto& signals = line.Signal;
    for (size_t i = 0; i < signals.size() && i < signalStop_.size(); ++i) {
        const SignalData& s = signals[i];
        const int32_t image = ImageNow(s, state.Frame);
        const bool repeater = s.Type == 0;
        // The repeater's red picture stops nothing but a cab-signalled train.
        const bool danger = IsStopImage(image) && (!repeater || atsType_ == 2);
        if (danger) {
            Restriction r;
            r.kind = Restriction::Kind::SignalAtDanger;
            r.index = static_cast<int32_t>(i);
            r.speed = 0;
            r.fromFrame = signalStopFrame_[i];
            r.toFrame = s.SignalFrame;
            r.from = signalStop_[i];
            r.to = std::max(signalStop_[i], FrameDistance(line, s.SignalFrame));
            // Once past the place there is nothing left to stop for.
            if (state.Frame < r.fromFrame) keep(r);
            continue;
        }
        const int32_t speed = AspectSpeed(line, image);
        if (speed <= 0) continue;
        Restriction r;
        r.kind = Restriction::Kind::SignalAspect;
        r.index = static_cast<int32_t>(i);
        r.speed = speed;
        if (atsType_ == 2) {
            r.fromFrame = s.ViewStart;
            r.toFrame = s.SignalFrame;
            r.from = signalView_[i];
            r.to = FrameDistance(line, s.SignalFrame);
            keep(r);
        } else if (atsType_ == 0 && atsAlert_ == 1 && !repeater) {
            // The bell rings above the aspect's speed from its limit point
            // until the next signal's limit point sets another.
            r.fromFrame = s.LimitFrame;
            r.from = signalLimitPoint_[i];
            r.toFrame = s.LimitFrame;
            r.to = r.from;
            for (size_t j = i + 1; j < signals.size(); ++j) {
                if (signals[j].LimitFrame > s.LimitFrame) {
                    r.toFrame = signals[j].LimitFrame;
                    r.to = signalLimitPoint_[j];
                    break;
                }
            }
            keep(r);
        }
    }
    if (state.PastEndAllowed == 0) {
        Restriction r;
        r.kind = Restriction::Kind::LineEnd;
        r.fromFrame = r.toFrame = kLineEndFrame;
        r.from = r.to = lineEnd_;
        keep(r);
    }
    std::sort(ahead.begin(), ahead.end(),
              [](const Restriction& a, const Restriction& b) { return a.from < b.from; });
    return ahead;
}

int32_t LineAhead::NextStop(const LineDefinition& line, int32_t station) const {
    for (size_t i = static_cast<size_t>(std::max(station + 1, 0)); i < line.Station.size(); ++i) {
        if (line.Station[i].Kind != 1) return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t LineAhead::StopZoneAt(const LineDefinition& line, int32_t frame) {
    for (size_t i = 0; i < line.Station.size(); ++i) {
        const StationData& st = line.Station[i];
        if (st.Kind != 1 && st.ZoneStart <= frame && frame <= st.ZoneEnd) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

}  // namespace kelvaron
