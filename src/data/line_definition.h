#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/track_lookups.h"

namespace kelvaron {

struct AnnounceData {
    int32_t Sound = 0;
    int32_t AnnounceFrame = 0;
};

struct Kanko {
    int32_t Number = 0;  // position within [KankoSound2]; 0 for the fixed slots
    std::string FileName;
};

struct TrackSoundData {
    int32_t Sound = 0;
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    int32_t ReferenceSpeed = 0;  // km/h at which the sound plays at its recorded pitch
    int32_t Mode = 0;            // 0 one-shot, 1 loop following speed, 2 loop at fixed pitch
};

struct DopplerData {
    int32_t Sound = 0;
    int32_t SourceFrame = 0;
    int32_t Range = 0;  // 1/100 m
    int32_t Spare = 0;
    int32_t SourcePosition = 0;  // run-time, 1/100 m
};

struct TunnelData {
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
};

struct StationData {
    int32_t Kind = 0;  // 0 stop, 1 pass, 2 stop without the conductor's doors
    std::string Name;
    int32_t ZoneStart = 0;
    int32_t ZoneEnd = 0;
    int32_t DepartureSound = 0;
    int32_t DepartureTime = 0;  // 1/30 s
    int32_t DoorCloseTime = 0;  // 1/30 s
    int32_t StopPosition = 0;   // run-time, 1/100 m
};

struct SignalData {
    int32_t Control = 0;  // 0 automatic block, 1 fixed until a time, 2 fixed always
    std::string Name;
    int32_t CallNumber = 0;
    int32_t Type = 0;  // 0 repeater, 1..5 block signals
    int32_t ViewStart = 0;
    int32_t SignalFrame = 0;
    int32_t AlarmFrame = 0;
    int32_t LimitFrame = 0;
    int32_t FixedAspect = 0;
    int32_t FixedUntil = 0;  // 1/30 s
    int32_t Aspect = 0;      // run-time
};

struct SlopeData {
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    Fixed4 Gradient = 0;  // permil x 10000, + uphill
};

struct SignData {
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    int32_t Image = 0;
};

struct SignalKankoData {
    int32_t SignalIndex = 0;
    int32_t CallPosition = 0;  // 0 before the name, 1 after the aspect
    int32_t VoiceSlot = 0;
};

struct StationKankoData {
    std::array<int32_t, 3> Values{};
};

struct SpeedLimitData {
    int32_t LimitSpeed = 0;  // km/h
    int32_t Image = 0;
    int32_t Spare = 0;
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    int32_t LimitPosition = 0;  // run-time, 1/100 m
};

struct SpeedCheckData {
    int32_t CheckSpeed = 0;
    int32_t CheckFrame = 0;
};

struct SpeedUnitData {
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    int32_t StartSpeed = 0;
    int32_t EndSpeed = 0;
    int32_t CumulativeDistance = 0;  // run-time, 1/100 m at EndFrame
};

struct TimeCheckData {
    int32_t Kind = 0;
    int32_t StartFrame = 0;
    int32_t EndFrame = 0;
    int32_t ScheduledTime = 0;  // 1/30 s
};

// One entry of the ordered event table of signals and speed limits.
struct EventEntry {
    int32_t Position = 0;  // 1/100 m
    int32_t Kind = 0;      // 0 signal, else the limit's speed
    int32_t Index = 0;     // signal index (signals only)
};

// Capacities of the line tables.
constexpr int kMaxLineSounds = 100;
constexpr int kMaxKankoSound2 = 182;
constexpr int kKankoSound1Count = 18;
constexpr int kMaxCommentarySlots = 200;
constexpr int kMaxTrackSounds = 101;
constexpr int kMaxStations = 100;
constexpr int kMaxOtherImages = 100;
constexpr int kMaxTimeChecks = 100;
constexpr int kMaxListEntries = 501;
constexpr int kMaxEvents = 501;

// Everything the line definition file says, named by its section headers.
struct LineDefinition {
    std::string LineName;
    int32_t StartPos = 0;
    int32_t FrameRate = 0;
    std::array<std::string, 2> Staf;  // timetable card, still picture
    int32_t StartTime = 0;
    int32_t Speed_YY = 0, Speed_Y = 0, Speed_YG = 0, Speed_G = 0;
    std::string DataName;
    int32_t Pre_Time = 0;  // stored x 30 (frames)
    int32_t OneMan = 0;
    std::array<std::string, kKankoSound1Count> KankoSound1;

    std::vector<std::string> SoundData;
    std::vector<AnnounceData> Announce;
    // Call-out voice table: slots 0..17 from [KankoSound1], 18.. from [KankoSound2].
    std::vector<Kanko> KankoSound2;  // the entries of [KankoSound2], slot 18 + i
    bool HasKankoSound2 = false;
    std::vector<TrackSoundData> Sound;
    std::vector<DopplerData> Doppler;
    std::vector<TunnelData> Tunnel;
    std::vector<StationData> Station;
    std::vector<int32_t> StopSound;
    std::vector<SignalData> Signal;
    std::vector<SlopeData> Slope;
    std::vector<SignData> Sign;
    std::vector<SignalKankoData> SignalKanko;
    std::vector<StationKankoData> StationKanko;
    std::vector<SpeedLimitData> SpeedLimit;
    std::vector<SpeedCheckData> SpeedCheck;
    std::vector<std::string> OtherImageSounds;  // call-out voice of each [OtherImageList] sign
    std::vector<SpeedUnitData> SpeedUnit;
    std::vector<TimeCheckData> Time;

    // Derived at start-up (track position table).
    std::vector<EventEntry> EventTable;
    int32_t EventCount = 0;
    TrackLookups Lookups;

    // Number of call-out voice slots: 18 + entries of [KankoSound2] when the
    // section exists, else 0.
    int32_t CommentaryCount() const {
        return HasKankoSound2 ? kKankoSound1Count + static_cast<int32_t>(KankoSound2.size()) : 0;
    }

    // The line file this definition came from.
    std::string FileName;
};

}  // namespace kelvaron
