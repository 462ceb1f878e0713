#include "studio/record_kinds.h"

#include <algorithm>

#include "common/common_util.h"

namespace kelvaron {

namespace {

using enum FieldType;
using enum FieldRole;

const std::vector<RecordLayout>& Layouts() {
    static const std::vector<RecordLayout> layouts = {
        {RecordKind::Station,
         "station",
         "[Station]",
         {{"Name", "name shown in the cab and the Move menu", Text},
          {"Kind", "0 stop, 1 pass, 2 stop with the doors worked by the driver"},
          {"ZoneStart", "first frame of the stopping zone", Integer, Frame},
          {"ZoneEnd", "last frame of the stopping zone (stop position: the middle)", Integer,
           Frame},
          {"DepartureSound", "sound number of the departure melody", Integer, SoundNumber},
          {"DepartureTime", "departure time, 1/30 s since midnight", Integer, TimeOfDay},
          {"DoorCloseTime", "door-closing time, 1/30 s since midnight", Integer, TimeOfDay}},
         false,
         2,
         3},
        {RecordKind::Signal,
         "signal",
         "[Signal]",
         {{"Control", "0 automatic block, 1 fixed aspect until a time, 2 fixed aspect always"},
          {"Name", "name shown beside the signal picture", Text},
          {"CallNumber", "number of the voice that calls the name", Integer, VoiceSlot},
          {"Type", "0 repeater, 1 to 5 block signal aspects"},
          {"ViewStart", "first frame the signal is shown", Integer, Frame},
          {"SignalFrame", "frame of the signal itself", Integer, Frame},
          {"AlarmFrame", "frame of the protection alarm point", Integer, Frame},
          {"LimitFrame", "frame from which the aspect's speed applies", Integer, Frame},
          {"FixedAspect", "fixed aspect: 0 R, 1 YY, 2 Y, 3 YG, 4 G"},
          {"FixedUntil", "fixed until, 1/30 s since midnight", Integer, TimeOfDay}},
         false,
         5,
         std::nullopt},
        {RecordKind::SpeedLimit,
         "speed limit",
         "[SpeedLimit]",
         {{"LimitSpeed", "speed allowed, km/h", Integer, SpeedKmh},
          {"Image", "picture number of the limit sign", Integer, ImageNumber},
          {"Spare", "not used (0)"},
          {"StartFrame", "frame where the limit begins", Integer, Frame},
          {"EndFrame", "frame where the limit ends", Integer, Frame}},
         false,
         3,
         std::nullopt},
        {RecordKind::Sign,
         "sign",
         "[Sign]",
         {{"Image", "picture number of the sign", Integer, ImageNumber},
          {"StartFrame", "first frame the sign is shown", Integer, Frame},
          {"EndFrame", "last frame the sign is shown", Integer, Frame}},
         false,
         1,
         std::nullopt},
        {RecordKind::Tunnel,
         "tunnel",
         "[Tunnel]",
         {{"StartFrame", "frame of the tunnel mouth", Integer, Frame},
          {"EndFrame", "frame of the tunnel exit", Integer, Frame}},
         true,
         0,
         std::nullopt},
        {RecordKind::Gradient,
         "gradient",
         "[Slope]",
         {{"Gradient", "gradient in permil, + uphill (up to four decimals)", Decimal},
          {"StartFrame", "frame where the gradient begins", Integer, Frame},
          {"EndFrame", "frame where the gradient ends", Integer, Frame}},
         false,
         1,
         std::nullopt},
        {RecordKind::TrackSound,
         "track-side sound",
         "[Sound]",
         {{"Sound", "sound number", Integer, SoundNumber},
          {"StartFrame", "frame where the sound starts", Integer, Frame},
          {"EndFrame", "frame where the sound stops", Integer, Frame},
          {"ReferenceSpeed", "speed at which it plays at its own pitch, km/h", Integer, SpeedKmh},
          {"Mode", "0 once, 1 loop following the speed, 2 loop at fixed pitch"}},
         false,
         1,
         std::nullopt},
        {RecordKind::PassingSource,
         "passing source",
         "[Doppler]",
         {{"Sound", "sound number", Integer, SoundNumber},
          {"SourceFrame", "frame of the source", Integer, Frame},
          {"Range", "distance it is heard from, 1/100 m"},
          {"Spare", "not used (0)"}},
         false,
         1,
         std::nullopt},
        {RecordKind::Callout,
         "call-out",
         "[SignalKanko]",
         {{"SignalIndex", "signal it belongs to (0 is the first)", Integer, SignalIndex},
          {"CallPosition", "0 before the signal's name, 1 after its aspect"},
          {"VoiceSlot", "slot of the call-out voice", Integer, VoiceSlot}},
         false,
         std::nullopt,
         std::nullopt},
        {RecordKind::Announcement,
         "announcement",
         "[Announce]",
         {{"Sound", "sound number", Integer, SoundNumber},
          {"AnnounceFrame", "frame where it is played", Integer, Frame}},
         false,
         1,
         std::nullopt},
        {RecordKind::SpeedCheck,
         "speed check",
         "[SpeedCheck]",
         {{"CheckSpeed", "speed checked, km/h", Integer, SpeedKmh},
          {"CheckFrame", "frame of the check", Integer, Frame}},
         false,
         1,
         std::nullopt},
        {RecordKind::TimeCheck,
         "time check",
         "[Time]",
         {{"Kind", "0 or 1"},
          {"StartFrame", "first frame of the prompt", Integer, Frame},
          {"EndFrame", "last frame of the prompt", Integer, Frame},
          {"ScheduledTime", "scheduled time, 1/30 s since midnight", Integer, TimeOfDay}},
         false,
         1,
         std::nullopt},
        {RecordKind::StopSound,
         "stop alert",
         "[StopSound]",
         {{"Frame", "frame where the stop alert sounds", Integer, Frame}},
         false,
         0,
         std::nullopt},
        {RecordKind::SpeedUnit,
         "filming speed",
         "[SpeedUnit]",
         {{"StartFrame", "first frame", Integer, Frame},
          {"EndFrame", "last frame", Integer, Frame},
          {"StartSpeed", "filming speed at the first frame, km/h", Integer, SpeedKmh},
          {"EndSpeed", "filming speed at the last frame, km/h", Integer, SpeedKmh}},
         false,
         0,
         std::nullopt},
    };
    return layouts;
}

}  // namespace

std::span<const RecordLayout> RecordKinds() {
    return Layouts();
}

const RecordLayout& LayoutOf(RecordKind kind) {
    return Layouts()[static_cast<size_t>(kind)];
}

std::optional<RecordKind> KindByCaption(std::string_view caption) {
    for (const auto& layout : Layouts()) {
        if (layout.caption == caption) return layout.kind;
    }
    return std::nullopt;
}

std::optional<std::string> CheckFields(const RecordLayout& layout,
                                       const std::vector<std::string>& fields) {
    if (fields.size() != layout.fields.size()) {
        return "a " + std::string(layout.caption) + " has " + ToDecimal(layout.fields.size()) +
               " fields, not " + ToDecimal(fields.size());
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldLayout& field = layout.fields[i];
        const std::string& text = fields[i];
        const std::string what = std::string(field.name) + " \"" + text + "\"";
        switch (field.type) {
            case FieldType::Integer:
                if (!ParseInt(text)) return what + " is not a whole number";
                break;
            case FieldType::Decimal: {
                const size_t point = text.find('.');
                if (!ParseDecimal(text) ||
                    (point != std::string::npos && text.size() - point > 5)) {
                    return what + " is not a number with up to four decimals";
                }
                break;
            }
            case FieldType::Text:
                if (text.find_first_of(",\r\n") != std::string::npos) {
                    return what + " may not hold a comma or a line break";
                }
                // The list ends at a line beginning with "#".
                if (i == 0 && text.starts_with("#")) {
                    return what + " may not begin with \"#\"";
                }
                break;
        }
    }
    return std::nullopt;
}

std::vector<std::string> DefaultFields(RecordKind kind, int32_t frame) {
    auto at = [frame](int32_t offset) {
        return ToDecimal(std::max<int64_t>(0, int64_t{frame} + offset));
    };
    switch (kind) {
        case RecordKind::Station:
            return {"station", "0", at(-60), at(60), "0", "1080000", "1080300"};
        case RecordKind::Signal:
            return {"0", "signal", "0", "3", at(-600), at(0), at(-300), at(0), "4", "0"};
        case RecordKind::SpeedLimit:
            return {"45", "1", "0", at(0), at(600)};
        case RecordKind::Sign:
            return {"1", at(-300), at(0)};
        case RecordKind::Tunnel:
            return {at(0), at(600)};
        case RecordKind::Gradient:
            return {"0", at(0), at(600)};
        case RecordKind::TrackSound:
            return {"0", at(0), at(300), "60", "0"};
        case RecordKind::PassingSource:
            return {"0", at(0), "30000", "0"};
        case RecordKind::Callout:
            return {"0", "0", "19"};
        case RecordKind::Announcement:
            return {"0", at(0)};
        case RecordKind::SpeedCheck:
            return {"45", at(0)};
        case RecordKind::TimeCheck:
            return {"0", at(-150), at(150), "1080000"};
        case RecordKind::StopSound:
            return {at(0)};
        case RecordKind::SpeedUnit:
            return {at(0), at(300), "60", "60"};
    }
    return {};
}

std::vector<std::string> FormatEntry(const RecordLayout& layout,
                                     const std::vector<std::string>& fields) {
    if (layout.fieldPerLine) return fields;
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += fields[i];
    }
    return {line};
}

}  // namespace kelvaron
