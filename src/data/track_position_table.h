#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/line_definition.h"

namespace kelvaron {

// Length of one filming-speed unit in 1/100 m: Round((SA + SB) x (FB - FA) / 2.16), the
// product formed in 32 bits. Empty when the unit does not run forwards (FB <= FA) or the
// product leaves the 32-bit range.
std::optional<int32_t> UnitLength(const SpeedUnitData& unit);

// Distance in 1/100 m from the unit's start frame to `frame`, before rounding: the mean of
// the filming speeds at the start and at `frame` (linear in the frame) times the elapsed time.
long double DistanceIntoUnit(const SpeedUnitData& unit, long double frame);

// Turns the frame numbers of the line into distances along it: each unit's
// CumulativeDistance, the EventTable of signals then speed limits (with EventCount), the
// limits' LimitPosition, the stations' StopPosition, the sound sources' SourcePosition, and
// from them the Lookups.
// False with the line-file message in `error` when the table would exceed its 501 entries or
// a distance would leave the 32-bit range; the EventTable and Lookups are then left empty.
bool BuildTrackPositionTable(LineDefinition& line, std::string& error);

// Distance in 1/100 m of any frame from the start of the line, by the rule that places the
// stations and sound sources (the unit with FA < frame <= FB; the first unit's start frame is
// 0). Empty when no unit holds the frame. Needs the CumulativeDistance of a built table.
std::optional<int32_t> PositionOfFrame(const LineDefinition& line, long double frame);

}  // namespace kelvaron
