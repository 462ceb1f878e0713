#include "studio/studio_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "common/common_util.h"
#include "common/text_file.h"
#include "data/cab_image_lists.h"
#include "data/line_file_reader.h"
#include "data/track_position_table.h"
#include "studio/value_sections.h"

namespace kelvaron {

namespace {

// Splits an entry's text into the kind's fields and whatever follows them.
void SplitFields(const RecordLayout& layout, const std::vector<std::string>& lines,
                 std::vector<std::string>& fields, std::string& tail) {
    fields.clear();
    tail.clear();
    if (layout.fieldPerLine) {
        fields = lines;
        fields.resize(layout.fields.size());
        return;
    }
    const std::string& line = lines.front();
    size_t start = 0;
    for (size_t n = 0; n < layout.fields.size(); ++n) {
        if (start > line.size()) {
            fields.emplace_back();
            continue;
        }
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos || n + 1 == layout.fields.size()) {
            // The reader takes the last field up to the next comma; the rest is kept aside.
            const size_t end = comma == std::string::npos ? line.size() : comma;
            fields.push_back(line.substr(start, end - start));
            if (comma != std::string::npos) tail = line.substr(comma);
            start = comma == std::string::npos ? line.size() + 1 : comma + 1;
        } else {
            fields.push_back(line.substr(start, comma - start));
            start = comma + 1;
        }
    }
}

long double NumberOr(const std::string& text, long double fallback) {
    if (auto value = ParseInt(text)) return *value;
    return fallback;
}

}  // namespace

StudioLine::StudioLine(std::filesystem::path dataDir, std::string fileName, LineDocument document,
                       PictureLoader& pictures)
    : dataDir_(std::move(dataDir)),
      fileName_(std::move(fileName)),
      document_(std::move(document)),
      pictures_(&pictures) {
    Derive();
}

std::optional<StudioLine> StudioLine::Open(const std::filesystem::path& dataDir,
                                           const std::string& fileName, PictureLoader& pictures,
                                           std::string& error) {
    std::ifstream in(dataDir / fileName, std::ios::binary);
    if (!in) {
        error = fileName + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return StudioLine(dataDir, fileName, LineDocument::FromBytes(bytes.str()), pictures);
}

StudioLine StudioLine::Create(const std::filesystem::path& dataDir, const std::string& fileName,
                              const std::string& dataName, PictureLoader& pictures) {
    LineDocument document = LineDocument::Empty(TextEncoding::Utf8);
    std::vector<LineDocument::Line> lines;
    for (const char* text :
         {"[LineName]",  "",   "[DataName]", "",   "[StartPos]", "0",   "[StartTime]", "1080000",
          "[FrameRate]", "30", "[Pre_Time]", "0",  "[OneMan]",   "1",   "[Speed_YY]",  "25",
          "[Speed_Y]",   "45", "[Speed_YG]", "75", "[Speed_G]",  "120", "[Station]",   "#",
          "[SpeedUnit]", "#"}) {
        lines.push_back(document.MakeLine(text));
    }
    lines[1].text = dataName;
    lines[3].text = dataName;
    document.Splice(0, 0, std::move(lines));
    return StudioLine(dataDir, fileName, std::move(document), pictures);
}

void StudioLine::Derive() {
    TextFile file;
    file.SetLines(document_.Texts());
    CabImageLists images;
    std::string error;
    bool good = ReadLineDefinition(file, dataDir_, fileName_, *pictures_, images, definition_,
                                   error, &source_);
    if (good) good = BuildTrackPositionTable(definition_, error);
    checkMessage_ = good ? std::string() : error;
}

std::optional<StudioRecord> StudioLine::RecordAt(RecordKind kind, size_t index) const {
    const RecordLayout& layout = LayoutOf(kind);
    const LineSectionSource* section = source_.Find(layout.header);
    if (!section || index >= section->entries.size()) return std::nullopt;
    StudioRecord record;
    record.kind = kind;
    record.index = index;
    record.span = section->entries[index];
    const auto& texts = document_.Texts();
    std::vector<std::string> lines(
        texts.begin() + static_cast<std::ptrdiff_t>(record.span.first),
        texts.begin() + static_cast<std::ptrdiff_t>(record.span.first + record.span.count));
    SplitFields(layout, lines, record.fields, record.tail);
    record.frame = PlaceOf(kind, record.fields);
    if (!checkMessage_.empty()) return record;

    const auto& line = definition_;
    switch (kind) {
        case RecordKind::Signal:
            // Only a limit point strictly inside a unit enters the event table.
            for (const EventEntry& event : line.EventTable) {
                if (event.Kind == 0 && static_cast<size_t>(event.Index) == index) {
                    record.position = event.Position;
                }
            }
            break;
        case RecordKind::SpeedLimit:
            for (const auto& unit : line.SpeedUnit) {
                const int32_t f = line.SpeedLimit[index].StartFrame;
                if (unit.StartFrame <= f && f <= unit.EndFrame) {
                    record.position = line.SpeedLimit[index].LimitPosition;
                }
            }
            break;
        case RecordKind::SpeedUnit:
            record.position = index == 0 ? 0 : line.SpeedUnit[index - 1].CumulativeDistance;
            break;
        default:
            record.position = PositionOfFrame(line, record.frame);
            break;
    }
    return record;
}

std::vector<StudioRecord> StudioLine::Records(RecordKind kind) const {
    std::vector<StudioRecord> records;
    for (size_t i = 0;; ++i) {
        auto record = RecordAt(kind, i);
        if (!record) break;
        records.push_back(std::move(*record));
    }
    return records;
}

std::vector<StudioRecord> StudioLine::AllRecords() const {
    std::vector<StudioRecord> all;
    for (const auto& layout : RecordKinds()) {
        auto records = Records(layout.kind);
        all.insert(all.end(), std::make_move_iterator(records.begin()),
                   std::make_move_iterator(records.end()));
    }
    return all;
}

long double StudioLine::PlaceOf(RecordKind kind, const std::vector<std::string>& fields) const {
    const RecordLayout& layout = LayoutOf(kind);
    if (kind == RecordKind::Callout) {
        // A call-out stands where its signal does.
        auto signal = ParseInt(fields.at(0));
        if (signal && *signal >= 0) {
            if (auto record = RecordAt(RecordKind::Signal, static_cast<size_t>(*signal))) {
                return record->frame;
            }
        }
        return 0;
    }
    if (!layout.placeField) return 0;
    const long double first = NumberOr(fields.at(*layout.placeField), 0);
    if (!layout.placeField2) return first;
    return (first + NumberOr(fields.at(*layout.placeField2), first)) / 2;
}

bool StudioLine::InsertionPoint(RecordKind kind, long double frame, std::optional<size_t> skip,
                                size_t& line, size_t& index) const {
    const LineSectionSource* section = source_.Find(LayoutOf(kind).header);
    if (!section || !section->isList) return false;
    index = 0;
    for (size_t i = 0; i < section->entries.size(); ++i) {
        if (skip && i == *skip) continue;
        auto other = RecordAt(kind, i);
        if (other && other->frame > frame) {
            line = section->entries[i].first;
            return true;
        }
        ++index;
    }
    line = section->endLine;
    return true;
}

void StudioLine::FollowSignals(const std::vector<std::optional<size_t>>& newIndex,
                               std::vector<PendingSplice>& splices) const {
    const RecordLayout& layout = LayoutOf(RecordKind::Callout);
    for (const StudioRecord& callout : Records(RecordKind::Callout)) {
        auto signal = ParseInt(callout.fields[0]);
        if (!signal || *signal < 0 || static_cast<size_t>(*signal) >= newIndex.size()) continue;
        const auto& to = newIndex[static_cast<size_t>(*signal)];
        if (to && *to == static_cast<size_t>(*signal)) continue;
        if (!to) {
            splices.push_back({callout.span.first, callout.span.count, {}});
            continue;
        }
        auto fields = callout.fields;
        fields[0] = ToDecimal(static_cast<int64_t>(*to));
        auto lines = FormatEntry(layout, fields);
        lines.back() += callout.tail;
        splices.push_back({callout.span.first, callout.span.count, std::move(lines)});
    }
}

bool StudioLine::StaysBetweenNeighbours(RecordKind kind, const StudioRecord& record,
                                        long double frame) const {
    // A file need not be in frame order; a record whose place still fits between its
    // neighbours stays where the author put it.
    auto before = record.index > 0 ? RecordAt(kind, record.index - 1) : std::nullopt;
    auto after = RecordAt(kind, record.index + 1);
    return (!before || before->frame <= frame) && (!after || frame <= after->frame);
}

bool StudioLine::Put(RecordKind kind, std::optional<size_t> replacing,
                     const std::vector<std::string>& fields, const std::string& tail,
                     std::string& error) {
    const RecordLayout& layout = LayoutOf(kind);
    if (auto fault = CheckFields(layout, fields)) {
        error = *fault;
        return false;
    }
    std::optional<StudioRecord> old;
    if (replacing) {
        old = RecordAt(kind, *replacing);
        if (!old) {
            error = "there is no " + std::string(layout.caption) + " " + ToDecimal(*replacing);
            return false;
        }
    }
    std::vector<std::string> lines = FormatEntry(layout, fields);
    lines.back() += tail;

    std::vector<PendingSplice> splices;
    size_t at = 0;
    size_t newIndex = 0;
    const long double frame = PlaceOf(kind, fields);
    const LineSectionSource* section = source_.Find(layout.header);
    if (!InsertionPoint(kind, frame, replacing, at, newIndex)) {
        if (section) {
            error = "the " + std::string(layout.header) + " section could not be read whole; " +
                    "mend the file first";
            return false;
        }
        // The list is new: it goes at the end, where no later header can take its lines.
        std::vector<std::string> texts = {std::string(layout.header)};
        texts.insert(texts.end(), lines.begin(), lines.end());
        texts.emplace_back("#");
        splices.push_back({document_.Size(), 0, std::move(texts)});
    } else if (old && (old->frame == frame || StaysBetweenNeighbours(kind, *old, frame) ||
                       at == old->span.first || at == old->span.first + old->span.count)) {
        newIndex = old->index;
        splices.push_back({old->span.first, old->span.count, std::move(lines)});
    } else {
        if (old) splices.push_back({old->span.first, old->span.count, {}});
        splices.push_back({at, 0, std::move(lines)});
    }

    if (kind == RecordKind::Signal && section) {
        std::vector<std::optional<size_t>> renumber(section->entries.size());
        for (size_t i = 0; i < renumber.size(); ++i) {
            size_t withoutOld = old && i > old->index ? i - 1 : i;
            if (old && i == old->index) {
                renumber[i] = newIndex;
                continue;
            }
            renumber[i] = withoutOld >= newIndex ? withoutOld + 1 : withoutOld;
        }
        FollowSignals(renumber, splices);
    }
    Apply(std::move(splices));
    return true;
}

bool StudioLine::Add(RecordKind kind, const std::vector<std::string>& fields, std::string& error) {
    return Put(kind, std::nullopt, fields, "", error);
}

bool StudioLine::Replace(RecordKind kind, size_t index, const std::vector<std::string>& fields,
                         std::string& error) {
    auto old = RecordAt(kind, index);
    return Put(kind, index, fields, old ? old->tail : "", error);
}

bool StudioLine::Move(RecordKind kind, size_t index, int32_t frames, std::string& error) {
    auto old = RecordAt(kind, index);
    if (!old) {
        error = "there is no " + std::string(LayoutOf(kind).caption) + " " + ToDecimal(index);
        return false;
    }
    auto fields = old->fields;
    const RecordLayout& layout = LayoutOf(kind);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (layout.fields[i].role != FieldRole::Frame) continue;
        auto value = ParseInt(fields[i]);
        if (!value) {
            error = std::string(layout.fields[i].name) + " \"" + fields[i] + "\" is not a frame";
            return false;
        }
        const int64_t moved = static_cast<int64_t>(*value) + frames;
        if (moved < 0 || moved > INT32_MAX) {
            error = "the " + std::string(layout.caption) + " would leave the video";
            return false;
        }
        fields[i] = ToDecimal(moved);
    }
    return Put(kind, index, fields, old->tail, error);
}

bool StudioLine::Remove(RecordKind kind, size_t index, std::string& error) {
    auto old = RecordAt(kind, index);
    if (!old) {
        error = "there is no " + std::string(LayoutOf(kind).caption) + " " + ToDecimal(index);
        return false;
    }
    std::vector<PendingSplice> splices = {{old->span.first, old->span.count, {}}};
    if (kind == RecordKind::Signal) {
        const size_t count = source_.Find(LayoutOf(kind).header)->entries.size();
        std::vector<std::optional<size_t>> renumber(count);
        for (size_t i = 0; i < count; ++i) {
            if (i != index) renumber[i] = i > index ? i - 1 : i;
        }
        FollowSignals(renumber, splices);
    }
    Apply(std::move(splices));
    return true;
}

std::vector<std::string> StudioLine::Values(const std::string& header) const {
    const ValueSectionLayout* layout = FindValueSection(header);
    if (!layout) return {};
    std::vector<std::string> values(layout->lines.size());
    const LineSectionSource* section = source_.Find(header);
    if (!section) return values;
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t line = section->headerLine + 1 + i;
        if (line <= section->endLine && line < document_.Texts().size()) {
            values[i] = document_.Texts()[line];
        }
    }
    return values;
}

std::optional<std::string> StudioLine::CheckValues(const std::string& header,
                                                   const std::vector<std::string>& values) {
    const ValueSectionLayout* layout = FindValueSection(header);
    const size_t count = layout ? layout->lines.size() : 0;
    if (count == 0 || values.size() != count) {
        return header + " is not a section of " + ToDecimal(values.size()) + " value line(s)";
    }
    for (size_t i = 0; i < count; ++i) {
        const std::string& value = values[i];
        if (value.find_first_of("\r\n") != std::string::npos) {
            return header + " \"" + value + "\" may not hold a line break";
        }
        // A value line is compared with the headers after its own, so it may not pass for one.
        if (value.starts_with("[")) return header + " \"" + value + "\" may not begin with \"[\"";
        if (layout->lines[i].type != FieldType::Text && !ParseInt(value)) {
            return header + " \"" + value + "\" is not a whole number";
        }
    }
    return std::nullopt;
}

bool StudioLine::SetValue(const std::string& header, const std::vector<std::string>& values,
                          std::string& error) {
    if (auto fault = CheckValues(header, values)) {
        error = *fault;
        return false;
    }
    const size_t count = values.size();
    const LineSectionSource* section = source_.Find(header);
    if (section && section->endLine == section->headerLine + count) {
        Apply({{section->headerLine + 1, count, values}});
        return true;
    }
    std::vector<std::string> texts = {header};
    texts.insert(texts.end(), values.begin(), values.end());
    Apply({{document_.Size(), 0, std::move(texts)}});
    return true;
}

bool StudioLine::ReplaceSpeedUnits(const std::vector<SpeedUnitData>& units, std::string& error) {
    const RecordLayout& layout = LayoutOf(RecordKind::SpeedUnit);
    std::vector<std::string> texts;
    for (const auto& u : units) {
        texts.push_back(ToDecimal(u.StartFrame) + "," + ToDecimal(u.EndFrame) + "," +
                        ToDecimal(u.StartSpeed) + "," + ToDecimal(u.EndSpeed));
    }
    const LineSectionSource* section = source_.Find(layout.header);
    if (section && !section->isList) {
        error = "the [SpeedUnit] section could not be read whole; mend the file first";
        return false;
    }
    if (section) {
        Apply({{section->headerLine + 1, section->endLine - section->headerLine - 1, texts}});
        return true;
    }
    texts.insert(texts.begin(), std::string(layout.header));
    texts.emplace_back("#");
    Apply({{document_.Size(), 0, std::move(texts)}});
    return true;
}

void StudioLine::Apply(std::vector<PendingSplice> splices) {
    // From the bottom of the file up, so each splice's line numbers still hold.
    std::stable_sort(splices.begin(), splices.end(),
                     [](const PendingSplice& a, const PendingSplice& b) { return a.at > b.at; });
    std::vector<Splice> done;
    for (PendingSplice& pending : splices) {
        std::vector<LineDocument::Line> lines;
        for (std::string& text : pending.texts)
            lines.push_back(document_.MakeLine(std::move(text)));
        Splice splice{.at = pending.at, .removed = {}, .inserted = lines};
        splice.removed = document_.Splice(pending.at, pending.count, std::move(lines));
        done.push_back(std::move(splice));
    }
    history_.resize(done_);
    if (savedAt_ && *savedAt_ > done_) savedAt_.reset();
    history_.push_back(std::move(done));
    ++done_;
    Derive();
}

bool StudioLine::Undo() {
    if (!CanUndo()) return false;
    const auto& splices = history_[--done_];
    for (auto it = splices.rbegin(); it != splices.rend(); ++it) {
        document_.Splice(it->at, it->inserted.size(), it->removed);
    }
    Derive();
    return true;
}

bool StudioLine::Redo() {
    if (!CanRedo()) return false;
    for (const Splice& splice : history_[done_]) {
        document_.Splice(splice.at, splice.removed.size(), splice.inserted);
    }
    ++done_;
    Derive();
    return true;
}

bool StudioLine::Save(TextEncoding encoding, std::string& error) {
    auto bytes = document_.ToBytes(encoding, error);
    if (!bytes) return false;
    const std::filesystem::path target = dataDir_ / fileName_;
    std::filesystem::path temporary = target;
    temporary += ".saving";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        out.close();
        if (!out) {
            error = temporary.string() + ": " + std::strerror(errno);
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, target, renamed);
    if (renamed) {
        error = target.string() + ": " + renamed.message();
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    savedAt_ = done_;
    return true;
}

}  // namespace kelvaron
