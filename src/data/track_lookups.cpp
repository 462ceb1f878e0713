#include "data/track_lookups.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "data/line_definition.h"

namespace kelvaron {

namespace {

using FrameRange = RangeIndex<int64_t>::Range;
using DistanceRange = RangeIndex<double>::Range;

constexpr int64_t kLastFrame = std::numeric_limits<int64_t>::max();

// Frames f with a < f < b.
FrameRange Between(int64_t a, int64_t b) {
    return {a + 1, b - 1};
}

// Frames f with 0 < f - point < window.
FrameRange JustAfter(int64_t point, int64_t window) {
    return {point + 1, point + window - 1};
}

// Frames f with |f - point| < window.
FrameRange Around(int64_t point, int64_t window) {
    return {point - window + 1, point + window - 1};
}

// The smallest range holding every non-empty one of `parts`.
FrameRange Hull(std::initializer_list<FrameRange> parts) {
    FrameRange hull{1, 0};
    for (const FrameRange& p : parts) {
        if (p.last < p.first) continue;
        if (hull.last < hull.first) {
            hull = p;
        } else {
            hull = {std::min(hull.first, p.first), std::max(hull.last, p.last)};
        }
    }
    return hull;
}

template <typename Record, typename Position, typename RangeOf>
RangeIndex<Position> IndexOf(const std::vector<Record>& table, RangeOf rangeOf) {
    std::vector<typename RangeIndex<Position>::Range> ranges;
    ranges.reserve(table.size());
    for (size_t i = 0; i < table.size(); ++i) ranges.push_back(rangeOf(i));
    return RangeIndex<Position>(ranges);
}

}  // namespace

void BuildTrackLookups(LineDefinition& line) {
    TrackLookups& lookups = line.Lookups;

    lookups.SpeedUnits = IndexOf<SpeedUnitData, int64_t>(line.SpeedUnit, [&](size_t i) {
        const SpeedUnitData& u = line.SpeedUnit[i];
        return FrameRange{u.StartFrame, int64_t{u.EndFrame} - 1};
    });

    lookups.Slopes = IndexOf<SlopeData, int64_t>(line.Slope, [&](size_t i) {
        const SlopeData& e = line.Slope[i];
        // In force within the section; left behind between it and the next
        // one, or anywhere past the last.
        const FrameRange after = i + 1 < line.Slope.size()
                                     ? Between(e.EndFrame, line.Slope[i + 1].StartFrame)
                                     : FrameRange{int64_t{e.EndFrame} + 1, kLastFrame};
        return Hull({Between(e.StartFrame, e.EndFrame), after});
    });

    lookups.Signals = IndexOf<SignalData, int64_t>(line.Signal, [&](size_t i) {
        const SignalData& e = line.Signal[i];
        return Hull({{e.ViewStart, int64_t{e.SignalFrame} - 1},
                     JustAfter(e.AlarmFrame, kSignalPointWindow),
                     JustAfter(e.LimitFrame, kSignalLimitWindow),
                     JustAfter(e.SignalFrame, kSignalPointWindow)});
    });

    // A block signal's section runs to the next block signal past the
    // repeaters; the last block signal has none.
    lookups.BlockSections = IndexOf<SignalData, int64_t>(line.Signal, [&](size_t i) {
        const auto& signals = line.Signal;
        if (signals[i].Type == 0) return FrameRange{1, 0};
        size_t next = i + 1;
        while (next < signals.size() && signals[next].Type == 0) ++next;
        if (next == signals.size()) return FrameRange{1, 0};
        return Between(signals[i].SignalFrame, signals[next].SignalFrame);
    });

    lookups.TrackSounds = IndexOf<TrackSoundData, int64_t>(line.Sound, [&](size_t i) {
        const TrackSoundData& e = line.Sound[i];
        return Hull({Around(e.StartFrame, kTrackSoundWindow), Around(e.EndFrame, kTrackSoundWindow),
                     Between(e.StartFrame, e.EndFrame)});
    });

    lookups.Stations = IndexOf<StationData, int64_t>(line.Station, [&](size_t i) {
        const StationData& e = line.Station[i];
        // Between this platform and the next one, or anywhere past the last;
        // at the platform itself unless trains pass it.
        const FrameRange after = i + 1 < line.Station.size()
                                     ? Between(e.ZoneEnd, line.Station[i + 1].ZoneStart)
                                     : FrameRange{int64_t{e.ZoneEnd} + 1, kLastFrame};
        const FrameRange platform =
            e.Kind != 1 ? FrameRange{e.ZoneStart, e.ZoneEnd} : FrameRange{1, 0};
        return Hull({after, platform});
    });

    lookups.Signs = IndexOf<SignData, int64_t>(line.Sign, [&](size_t i) {
        return FrameRange{line.Sign[i].StartFrame, int64_t{line.Sign[i].EndFrame} - 1};
    });
    lookups.TimeChecks = IndexOf<TimeCheckData, int64_t>(line.Time, [&](size_t i) {
        return Between(line.Time[i].StartFrame, line.Time[i].EndFrame);
    });

    lookups.HeldSignals = IndexOf<SignalData, int64_t>(line.Signal, [&](size_t i) {
        const SignalData& e = line.Signal[i];
        constexpr int64_t kFirstTick = std::numeric_limits<int64_t>::lowest();
        if (e.Control == 1) return FrameRange{kFirstTick, int64_t{e.FixedUntil} - 1};
        if (e.Control == 2) return FrameRange{kFirstTick, std::numeric_limits<int64_t>::max()};
        return FrameRange{1, 0};
    });

    lookups.LimitsInForce = IndexOf<SpeedLimitData, int64_t>(line.SpeedLimit, [&](size_t i) {
        return Between(line.SpeedLimit[i].StartFrame, line.SpeedLimit[i].EndFrame);
    });

    // One unit of margin either side keeps the rounding of the steps' long
    // double arithmetic and of the double lookup inside the range.
    lookups.LimitApproaches = IndexOf<SpeedLimitData, double>(line.SpeedLimit, [&](size_t i) {
        const double at = line.SpeedLimit[i].LimitPosition;
        return DistanceRange{at - static_cast<double>(kLimitApproachRange) - 1, at + 1};
    });

    lookups.Sources = IndexOf<DopplerData, double>(line.Doppler, [&](size_t i) {
        const DopplerData& e = line.Doppler[i];
        const double at = e.SourcePosition;
        if (e.Range <= 0) return DistanceRange{1, 0};  // never within reach
        return DistanceRange{at - e.Range - 1, at + e.Range + 1};
    });

    lookups.SourceSounds.clear();
    for (const DopplerData& e : line.Doppler) {
        auto& sounds = lookups.SourceSounds;
        if (std::find(sounds.begin(), sounds.end(), e.Sound) == sounds.end())
            sounds.push_back(e.Sound);
    }
}

}  // namespace kelvaron
