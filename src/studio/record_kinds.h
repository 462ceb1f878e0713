#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron {

// The records of a line file that stand at a place on the line (and the
// filming-speed units that place them), as the studio offers them.
enum class RecordKind {
    Station,
    Signal,
    SpeedLimit,
    Sign,
    Tunnel,
    Gradient,
    TrackSound,
    PassingSource,
    Callout,
    Announcement,
    SpeedCheck,
    TimeCheck,
    StopSound,
    SpeedUnit,
};

enum class FieldType { Integer, Decimal, Text };

// What a field holds, for the form that shows it and for placing the record.
enum class FieldRole {
    Plain,
    Frame,        // a frame of the video: moves with the record
    TimeOfDay,    // 1/30 s since midnight
    SpeedKmh,     // km/h
    SoundNumber,  // index in [SoundData]
    ImageNumber,  // index in [OtherImageList]
    VoiceSlot,    // slot of the call-out voice table
    SignalIndex,  // index in [Signal]
};

struct FieldLayout {
    std::string_view name;     // the record's field name
    std::string_view meaning;  // what the author is asked for
    FieldType type = FieldType::Integer;
    FieldRole role = FieldRole::Plain;
};

struct RecordLayout {
    RecordKind kind;
    std::string_view caption;         // "station"
    std::string_view header;          // "[Station]"
    std::vector<FieldLayout> fields;  // in file order
    bool fieldPerLine = false;        // each field on a line of its own ([Tunnel])
    // Field whose frame places the record; a second one when the place is the middle of two
    // (a station stops in the middle of its zone). None for call-outs, placed by their signal.
    std::optional<size_t> placeField;
    std::optional<size_t> placeField2;
};

std::span<const RecordLayout> RecordKinds();
const RecordLayout& LayoutOf(RecordKind kind);
// The kind whose caption is `caption`, for command lines and saved settings.
std::optional<RecordKind> KindByCaption(std::string_view caption);

// A field's text is checked before it goes into the file: a number must read as
// one, and a text may not break the line into other fields or end the list. An
// explanation of the first bad field, or nothing.
std::optional<std::string> CheckFields(const RecordLayout& layout,
                                       const std::vector<std::string>& fields);

// Fields of a new record of the kind standing at `frame`, for the author to change:
// its place at the frame, its other frames around it, the rest at common values.
std::vector<std::string> DefaultFields(RecordKind kind, int32_t frame);

// The entry's lines as the file holds them.
std::vector<std::string> FormatEntry(const RecordLayout& layout,
                                     const std::vector<std::string>& fields);

}  // namespace kelvaron
