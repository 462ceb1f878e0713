#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/line_definition.h"
#include "data/line_source_map.h"
#include "platform/picture_loader.h"
#include "studio/line_document.h"
#include "studio/record_kinds.h"

namespace kelvaron {

// One record of the line as the studio shows it: its fields as written, where
// it stands and what the run makes of it.
struct StudioRecord {
    RecordKind kind = RecordKind::Station;
    size_t index = 0;                 // in its table
    std::vector<std::string> fields;  // as the file writes them
    std::string tail;                 // fields beyond the known ones, kept as they are
    long double frame = 0;            // where it stands (a station: the middle of its zone)
    std::optional<int32_t> position;  // 1/100 m from the start, as the run places it
    LineSpan span;                    // its lines in the file
};

// The line being edited: the file's text, the tables the run would read from
// it, every record with its place, the message `check` would give, and the
// edits with their undo and redo. Every derived value comes from the line
// reader and the track position table that the run itself uses, read again
// after each edit.
class StudioLine {
  public:
    // A line file in `dataDir` (a plain file name there) and the pictures its
    // image lists name, loaded through `pictures`, which must outlive the line.
    StudioLine(std::filesystem::path dataDir, std::string fileName, LineDocument document,
               PictureLoader& pictures);

    // Reads the file; empty with a reason when it cannot be read at all (a
    // file with faults opens, showing them).
    static std::optional<StudioLine> Open(const std::filesystem::path& dataDir,
                                          const std::string& fileName, PictureLoader& pictures,
                                          std::string& error);
    // A new line file for a video of the data folder's video folder, with the
    // sections a run needs; `dataName` is the video's base name.
    static StudioLine Create(const std::filesystem::path& dataDir, const std::string& fileName,
                             const std::string& dataName, PictureLoader& pictures);

    const std::filesystem::path& DataDir() const { return dataDir_; }
    const std::string& FileName() const { return fileName_; }
    const LineDocument& Document() const { return document_; }
    const LineDefinition& Definition() const { return definition_; }
    const LineSourceMap& Source() const { return source_; }
    // The message `check` gives for the line as it stands; empty when it is good.
    const std::string& CheckMessage() const { return checkMessage_; }
    std::vector<StudioRecord> Records(RecordKind kind) const;
    std::vector<StudioRecord> AllRecords() const;

    // Edits. Each is one step of undo; false with a reason (and nothing
    // changed) when the fields cannot stand in the file. The record is put in
    // frame order among its kind; references to signals follow their signal.
    bool Add(RecordKind kind, const std::vector<std::string>& fields, std::string& error);
    bool Replace(RecordKind kind, size_t index, const std::vector<std::string>& fields,
                 std::string& error);
    bool Remove(RecordKind kind, size_t index, std::string& error);
    // Shifts every frame of the record by `frames`.
    bool Move(RecordKind kind, size_t index, int32_t frames, std::string& error);
    // The value line(s) of a one-value section such as "[LineName]" or "[Staf]"
    // (see ValueSections); empty texts when the file does not have the section.
    std::vector<std::string> Values(const std::string& header) const;
    // Why `values` cannot stand as the section's value lines, or nothing.
    static std::optional<std::string> CheckValues(const std::string& header,
                                                  const std::vector<std::string>& values);
    bool SetValue(const std::string& header, const std::vector<std::string>& values,
                  std::string& error);
    bool ReplaceSpeedUnits(const std::vector<SpeedUnitData>& units, std::string& error);

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < history_.size(); }
    bool Undo();
    bool Redo();

    // True when the text differs from what was last read or saved.
    bool Modified() const { return done_ != savedAt_; }
    // Writes the file in `encoding` (replacing it only once the new text is
    // complete on disk). False with a reason, the file left as it was.
    bool Save(TextEncoding encoding, std::string& error);
    // The file's bytes in `encoding` without writing them.
    std::optional<std::string> Bytes(TextEncoding encoding, std::string& error) const {
        return document_.ToBytes(encoding, error);
    }

  private:
    struct Splice {
        size_t at = 0;
        std::vector<LineDocument::Line> removed;
        std::vector<LineDocument::Line> inserted;
    };
    struct PendingSplice {
        size_t at = 0;
        size_t count = 0;
        std::vector<std::string> texts;
    };

    void Derive();
    void Apply(std::vector<PendingSplice> splices);
    long double PlaceOf(RecordKind kind, const std::vector<std::string>& fields) const;
    std::optional<StudioRecord> RecordAt(RecordKind kind, size_t index) const;
    // Where an entry placed at `frame` goes among the others of its list (the
    // entry `skip` aside); false when the list is absent.
    bool InsertionPoint(RecordKind kind, long double frame, std::optional<size_t> skip,
                        size_t& line, size_t& index) const;
    bool StaysBetweenNeighbours(RecordKind kind, const StudioRecord& record,
                                long double frame) const;
    // Edits that keep the call-outs with their signals once the signals are
    // renumbered by `newIndex` (old index -> new index, none when removed).
    void FollowSignals(const std::vector<std::optional<size_t>>& newIndex,
                       std::vector<PendingSplice>& splices) const;
    bool Put(RecordKind kind, std::optional<size_t> replacing,
             const std::vector<std::string>& fields, const std::string& tail, std::string& error);

    std::filesystem::path dataDir_;
    std::string fileName_;
    LineDocument document_;
    PictureLoader* pictures_;

    LineDefinition definition_;
    LineSourceMap source_;
    std::string checkMessage_;

    std::vector<std::vector<Splice>> history_;
    size_t done_ = 0;
    std::optional<size_t> savedAt_ = 0;
};

}  // namespace kelvaron
