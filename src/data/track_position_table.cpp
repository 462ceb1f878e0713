#include "data/track_position_table.h"

#include <limits>
#include <string_view>
#include <vector>

#include "common/common_util.h"
#include "common/fixed4.h"
#include "data/track_lookups.h"

namespace kelvaron {

namespace {

constexpr std::string_view kLineFileError = "路線ファイルに誤りがあります。";

bool Fail(std::string& error, std::string_view label, const std::string& text) {
    error = std::string(kLineFileError) + std::string(label) + ":" + text;
    return false;
}

std::string PositionOutOfRange(long double frame) {
    return "フレーム " + ToDecimal(Round(frame)) + " の位置が32ビットの範囲を超えています";
}

bool Fits32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// base + d(frame), or empty when either the rounded distance or the sum leaves 32 bits.
std::optional<int32_t> PositionIn(const SpeedUnitData& unit, int32_t base, long double frame) {
    int32_t into = 0;
    if (!Round32(DistanceIntoUnit(unit, frame), into)) return std::nullopt;
    int64_t position = static_cast<int64_t>(base) + into;
    if (!Fits32(position)) return std::nullopt;
    return static_cast<int32_t>(position);
}

// Writes every unit's CumulativeDistance; the units are checked here so that the later
// steps can take each unit's length and division by its frame span for granted.
bool FillCumulativeDistances(std::vector<SpeedUnitData>& units, std::string& error) {
    int64_t total = 0;
    for (auto& unit : units) {
        auto length = UnitLength(unit);
        if (length) total += *length;
        if (!length || !Fits32(total)) {
            return Fail(error, "[SpeedUnit]",
                        ToDecimal(unit.StartFrame) + "," + ToDecimal(unit.EndFrame) + "," +
                            ToDecimal(unit.StartSpeed) + "," + ToDecimal(unit.EndSpeed));
        }
        unit.CumulativeDistance = static_cast<int32_t>(total);
    }
    return true;
}

}  // namespace

std::optional<int32_t> UnitLength(const SpeedUnitData& unit) {
    if (unit.EndFrame <= unit.StartFrame) return std::nullopt;
    int64_t speeds = static_cast<int64_t>(unit.StartSpeed) + unit.EndSpeed;
    int64_t frames = static_cast<int64_t>(unit.EndFrame) - unit.StartFrame;
    if (!Fits32(speeds) || !Fits32(frames) || !Fits32(speeds * frames)) return std::nullopt;
    int32_t length = 0;
    if (!Round32(static_cast<long double>(speeds * frames) / 2.16L, length)) return std::nullopt;
    return length;
}

long double DistanceIntoUnit(const SpeedUnitData& unit, long double frame) {
    const long double fa = unit.StartFrame;
    const long double sa = unit.StartSpeed;
    const long double speedAtFrame =
        sa + (unit.EndSpeed - sa) / (unit.EndFrame - fa) * (frame - fa);
    return (speedAtFrame + sa) / 7.2L * (frame - fa) / 30 * 100;
}

bool BuildTrackPositionTable(LineDefinition& line, std::string& error) {
    line.EventTable.clear();
    line.EventCount = 0;
    line.Lookups = {};
    if (!FillCumulativeDistances(line.SpeedUnit, error)) return false;

    // Entries beyond the capacity are counted, not stored, so the message can name the count.
    std::vector<EventEntry> events;
    int64_t entryCount = 0;
    auto append = [&](const EventEntry& entry) {
        if (++entryCount <= kMaxEvents) events.push_back(entry);
    };

    int32_t base = 0;
    for (const auto& unit : line.SpeedUnit) {
        for (size_t j = 0; j < line.Signal.size(); ++j) {
            const int32_t f = line.Signal[j].LimitFrame;
            if (f <= unit.StartFrame || f >= unit.EndFrame) continue;
            auto position = PositionIn(unit, base, f);
            if (!position) return Fail(error, "[Signal]", PositionOutOfRange(f));
            append({*position, 0, static_cast<int32_t>(j)});
        }
        base = unit.CumulativeDistance;
    }

    base = 0;
    for (const auto& unit : line.SpeedUnit) {
        for (auto& limit : line.SpeedLimit) {
            const int32_t f = limit.StartFrame;
            if (f < unit.StartFrame || f > unit.EndFrame) continue;
            auto position = PositionIn(unit, base, f);
            if (!position) return Fail(error, "[SpeedLimit]", PositionOutOfRange(f));
            append({*position, limit.LimitSpeed, 0});
            limit.LimitPosition = *position;
        }
        base = unit.CumulativeDistance;
    }

    if (entryCount > kMaxEvents) {
        return Fail(error, "[Signal]",
                    "信号と速度制限の登録数 " + ToDecimal(entryCount) + " が上限 " +
                        ToDecimal(kMaxEvents) + " を超えています");
    }

    base = 0;
    for (const auto& unit : line.SpeedUnit) {
        for (auto& station : line.Station) {
            if (station.Kind == 1) continue;
            const long double middle =
                (static_cast<long double>(station.ZoneStart) + station.ZoneEnd) / 2;
            if (middle <= unit.StartFrame || middle > unit.EndFrame) continue;
            auto position = PositionIn(unit, base, middle);
            if (!position) return Fail(error, "[Station]", PositionOutOfRange(middle));
            station.StopPosition = *position;
        }
        for (auto& source : line.Doppler) {
            const int32_t f = source.SourceFrame;
            if (f <= unit.StartFrame || f > unit.EndFrame) continue;
            auto position = PositionIn(unit, base, f);
            if (!position) return Fail(error, "[Doppler]", PositionOutOfRange(f));
            source.SourcePosition = *position;
        }
        base = unit.CumulativeDistance;
    }

    line.EventTable = std::move(events);
    line.EventCount = static_cast<int32_t>(entryCount);
    BuildTrackLookups(line);
    return true;
}

std::optional<int32_t> PositionOfFrame(const LineDefinition& line, long double frame) {
    if (line.SpeedUnit.empty()) return std::nullopt;
    if (frame == line.SpeedUnit.front().StartFrame) return 0;
    std::optional<int32_t> found;
    int32_t base = 0;
    for (const auto& unit : line.SpeedUnit) {
        if (frame > unit.StartFrame && frame <= unit.EndFrame) {
            if (auto position = PositionIn(unit, base, frame)) found = position;
        }
        base = unit.CumulativeDistance;
    }
    return found;
}

}  // namespace kelvaron
