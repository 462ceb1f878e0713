#pragma once

#include <cstdint>
#include <vector>

#include "data/range_index.h"

namespace kelvaron {

struct LineDefinition;

// How far from a point of the line the steps act, in frames (the window after
// a signal's alarm and signal points, the longer one after its limit point,
// either side of a track sound's start and end) and, before a speed limit,
// in 1/100 m.
constexpr int64_t kSignalPointWindow = 10;
constexpr int64_t kSignalLimitWindow = 30;
constexpr int64_t kTrackSoundWindow = 5;
constexpr long double kLimitApproachRange = 60000;

// Where along the line each record of the tables that the run goes through
// many times a second can act, so that a tick or a refresh looks only at the
// records near the train. Each range covers every position at which the
// step using it could do anything with that record.
struct TrackLookups {
    RangeIndex<int64_t> SpeedUnits;     // by frame: the unit the frame lies in
    RangeIndex<int64_t> Slopes;         // by frame: a gradient in force, or just left
    RangeIndex<int64_t> Signals;        // by frame: in view, or a point just passed
    RangeIndex<int64_t> BlockSections;  // by the leading train's frame: the section it is in
    RangeIndex<int64_t> TrackSounds;    // by frame: starting, ending or playing
    RangeIndex<int64_t> LimitsInForce;  // by frame: within the limit's section
    RangeIndex<int64_t> Stations;       // by frame: at the platform, or past it
    RangeIndex<int64_t> Signs;          // by frame: a sign or time check to show
    RangeIndex<int64_t> TimeChecks;
    RangeIndex<int64_t> HeldSignals;  // by clock tick: an aspect fixed until then, or for good
    // Distances are looked up in double precision: the ranges reach a unit
    // beyond what the steps compare in long double, far more than a double
    // loses on any distance a line can have.
    RangeIndex<double> LimitApproaches;  // by distance: the 600 m before a limit
    RangeIndex<double> Sources;          // by distance: a passing sound within reach
    // Each sound of the passing sources once, in the order the table first
    // names it: silencing them all while none is near asks each channel once.
    std::vector<int32_t> SourceSounds;
};

// Builds the lookups from the tables and their distances (the track position
// table must be built first). A table that changes size afterwards is looked
// up whole.
void BuildTrackLookups(LineDefinition& line);

}  // namespace kelvaron
