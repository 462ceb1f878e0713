#include "data/line_file_reader.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "common/common_util.h"
#include "common/text_file.h"
#include "data/data_pictures.h"
#include "data/track_position_table.h"

namespace kelvaron {

namespace {

constexpr std::string_view kLineFileError = "路線ファイルに誤りがあります。";

// Stops reading; the message is made from the section label and the line at that moment.
struct ReadFault {};

bool Fits32(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

class LineFileParser {
  public:
    LineFileParser(TextFile& file, const std::filesystem::path& dataDir, PictureLoader& pictures,
                   CabImageLists& images, LineDefinition& line, LineSourceMap* source)
        : file_(file),
          dataDir_(dataDir),
          pictures_(pictures),
          images_(images),
          line_(line),
          source_(source) {}

    void Parse();
    // The line being read, counted from 0; past the end when a list ran off the file.
    size_t CurrentLine() const {
        return file_.ReadsPastEnd() > 0 ? file_.LineNumber() : file_.LineNumber() - 1;
    }
    std::string Message() const {
        std::string message = std::string(kLineFileError) + label_ + ":" + current_;
        if (!why_.empty()) message += ": " + why_;
        return message;
    }
    void OutOfMemory() { why_ = kPictureOutOfMemory; }

  private:
    [[noreturn]] static void Fail() { throw ReadFault{}; }
    // The file named on the current line cannot be used; the message says why.
    [[noreturn]] void FailOnFile(std::string_view why) {
        why_ = why;
        throw ReadFault{};
    }

    void Next() { current_ = file_.ReadLine(); }
    // A name inside a list: the list must end with "#" before the file does.
    void NextInList() {
        Next();
        if (file_.ReadsPastEnd() > 0) Fail();
    }

    int32_t IntLine() const {
        auto value = ParseInt(current_);
        if (!value) Fail();
        return *value;
    }
    int32_t NextInt() {
        Next();
        return IntLine();
    }
    int32_t IntField(int n) const {
        auto value = ParseInt(GetField(current_, n));
        if (!value) Fail();
        return *value;
    }
    Fixed4 FixedField(int n) const {
        auto value = ParseFixed4(GetField(current_, n));
        if (!value) Fail();
        return *value;
    }
    Picture LoadPicture() {
        if (current_.empty()) Fail();
        std::string why;
        auto picture =
            LoadDataPicture(pictures_, dataDir_, current_, PictureFormats::BitmapOnly, why);
        if (!picture) FailOnFile(why);
        if (picture->Empty()) Fail();
        return std::move(*picture);
    }
    void AppendPicture(ImageList& list) {
        Picture picture = LoadPicture();
        if (!list.CanAppend(picture)) FailOnFile(kImageListFull);
        list.Append(std::move(picture));
    }
    // The preceding train starts [Pre_Time] frames after [StartPos]: the sum is
    // a frame number too.
    void CheckLeaderStart() const {
        if (!Fits32(static_cast<int64_t>(line_.StartPos) + line_.Pre_Time)) Fail();
    }

    // Entry lines up to the "#" line; `readEntry` sees each entry's first line as current.
    template <typename ReadEntry>
    void ForEachEntry(size_t capacity, ReadEntry readEntry, bool skipComments = false) {
        if (source_) source_->sections.back().isList = true;
        size_t count = 0;
        for (;;) {
            NextInList();
            if (StartsWith(current_, "#")) return;
            if (skipComments && StartsWith(current_, ";")) continue;
            if (count++ >= capacity) Fail();
            const size_t first = CurrentLine();
            readEntry();
            if (source_)
                source_->sections.back().entries.push_back({first, CurrentLine() - first + 1});
        }
    }
    // A repeated list replaces the earlier entries.
    template <typename T, typename MakeEntry>
    void ReadList(std::vector<T>& table, size_t capacity, MakeEntry makeEntry,
                  bool skipComments = false) {
        table.clear();
        ForEachEntry(
            capacity, [&] { table.push_back(makeEntry()); }, skipComments);
    }
    void ReadImageList(ImageList& list) {
        ForEachEntry(std::numeric_limits<size_t>::max(), [&] { AppendPicture(list); });
    }

    TextFile& file_;
    const std::filesystem::path& dataDir_;
    PictureLoader& pictures_;
    CabImageLists& images_;
    LineDefinition& line_;
    LineSourceMap* source_;
    std::string current_;
    std::string label_;
    std::string why_;
};

void LineFileParser::Parse() {
    LineDefinition& l = line_;
    // The order of comparison matters: after a section has read its lines, the last line
    // read is compared with the headers that follow it here.
    const std::pair<std::string_view, std::function<void()>> sections[] = {
        {"[LineName]",
         [&] {
             Next();
             l.LineName = current_;
         }},
        {"[StartPos]",
         [&] {
             l.StartPos = NextInt();
             CheckLeaderStart();
         }},
        {"[FrameRate]",
         [&] {
             // The tick divides 30 by the rate.
             l.FrameRate = NextInt();
             if (l.FrameRate < 1 || l.FrameRate > 30) Fail();
         }},
        {"[Staf]",
         [&] {
             for (auto& name : l.Staf) {
                 Next();
                 name = current_;
             }
         }},
        {"[StartTime]", [&] { l.StartTime = NextInt(); }},
        {"[Speed_YY]", [&] { l.Speed_YY = NextInt(); }},
        {"[Speed_Y]", [&] { l.Speed_Y = NextInt(); }},
        {"[Speed_YG]", [&] { l.Speed_YG = NextInt(); }},
        {"[Speed_G]", [&] { l.Speed_G = NextInt(); }},
        {"[DataName]",
         [&] {
             Next();
             l.DataName = current_;
         }},
        {"[Pre_Time]",
         [&] {
             const int64_t frames = static_cast<int64_t>(NextInt()) * 30;
             if (!Fits32(frames)) Fail();
             l.Pre_Time = static_cast<int32_t>(frames);
             CheckLeaderStart();
         }},
        {"[OneMan]", [&] { l.OneMan = NextInt(); }},
        {"[SoundData]", [&] { ReadList(l.SoundData, kMaxLineSounds, [&] { return current_; }); }},
        {"[Announce]",
         [&] {
             ReadList(l.Announce, kMaxListEntries, [&] {
                 return AnnounceData{.Sound = IntField(1), .AnnounceFrame = IntField(2)};
             });
         }},
        {"[KankoSound1]",
         [&] {
             for (auto& name : l.KankoSound1) {
                 Next();
                 name = current_;
             }
         }},
        {"[KankoSound2]",
         [&] {
             l.HasKankoSound2 = true;
             ReadList(l.KankoSound2, kMaxKankoSound2, [&] {
                 return Kanko{.Number = static_cast<int32_t>(l.KankoSound2.size()),
                              .FileName = current_};
             });
         }},
        {"[Sound]",
         [&] {
             ReadList(
                 l.Sound, kMaxTrackSounds,
                 [&] {
                     return TrackSoundData{.Sound = IntField(1),
                                           .StartFrame = IntField(2),
                                           .EndFrame = IntField(3),
                                           .ReferenceSpeed = IntField(4),
                                           .Mode = IntField(5)};
                 },
                 /*skipComments=*/true);
         }},
        {"[Doppler]",
         [&] {
             ReadList(l.Doppler, kMaxListEntries, [&] {
                 return DopplerData{.Sound = IntField(1),
                                    .SourceFrame = IntField(2),
                                    .Range = IntField(3),
                                    .Spare = IntField(4)};
             });
         }},
        {"[Tunnel]",
         [&] {
             ReadList(l.Tunnel, kMaxListEntries, [&] {
                 TunnelData tunnel;
                 tunnel.StartFrame = IntLine();
                 Next();
                 tunnel.EndFrame = IntLine();
                 return tunnel;
             });
         }},
        {"[Station]",
         [&] {
             ReadList(l.Station, kMaxStations, [&] {
                 return StationData{.Kind = IntField(2),
                                    .Name = GetField(current_, 1),
                                    .ZoneStart = IntField(3),
                                    .ZoneEnd = IntField(4),
                                    .DepartureSound = IntField(5),
                                    .DepartureTime = IntField(6),
                                    .DoorCloseTime = IntField(7)};
             });
         }},
        {"[StopSound]", [&] { ReadList(l.StopSound, kMaxListEntries, [&] { return IntLine(); }); }},
        {"[Signal]",
         [&] {
             ReadList(l.Signal, kMaxListEntries, [&] {
                 return SignalData{.Control = IntField(1),
                                   .Name = GetField(current_, 2),
                                   .CallNumber = IntField(3),
                                   .Type = IntField(4),
                                   .ViewStart = IntField(5),
                                   .SignalFrame = IntField(6),
                                   .AlarmFrame = IntField(7),
                                   .LimitFrame = IntField(8),
                                   .FixedAspect = IntField(9),
                                   .FixedUntil = IntField(10)};
             });
         }},
        {"[Slope]",
         [&] {
             ReadList(l.Slope, kMaxListEntries, [&] {
                 return SlopeData{
                     .StartFrame = IntField(2), .EndFrame = IntField(3), .Gradient = FixedField(1)};
             });
         }},
        {"[Sign]",
         [&] {
             ReadList(l.Sign, kMaxListEntries, [&] {
                 return SignData{
                     .StartFrame = IntField(2), .EndFrame = IntField(3), .Image = IntField(1)};
             });
         }},
        {"[SignalKanko]",
         [&] {
             ReadList(l.SignalKanko, kMaxListEntries, [&] {
                 return SignalKankoData{.SignalIndex = IntField(1),
                                        .CallPosition = IntField(2),
                                        .VoiceSlot = IntField(3)};
             });
         }},
        {"[StationKanko]",
         [&] {
             ReadList(l.StationKanko, kMaxListEntries, [&] {
                 return StationKankoData{.Values = {IntField(1), IntField(2), IntField(3)}};
             });
         }},
        {"[SpeedLimit]",
         [&] {
             // A limit of 0 km/h would read as a signal in the event table.
             ReadList(l.SpeedLimit, kMaxListEntries, [&] {
                 SpeedLimitData limit{.LimitSpeed = IntField(1),
                                      .Image = IntField(2),
                                      .Spare = IntField(3),
                                      .StartFrame = IntField(4),
                                      .EndFrame = IntField(5)};
                 if (limit.LimitSpeed <= 0) Fail();
                 return limit;
             });
         }},
        {"[SpeedCheck]",
         [&] {
             ReadList(l.SpeedCheck, kMaxListEntries, [&] {
                 return SpeedCheckData{.CheckSpeed = IntField(1), .CheckFrame = IntField(2)};
             });
         }},
        {"[SignImageList]", [&] { ReadImageList(images_.SignImageList); }},
        {"[OtherImageList]",
         [&] {
             // The sound names start again while the pictures keep being appended.
             l.OtherImageSounds.clear();
             ForEachEntry(kMaxOtherImages, [&] {
                 AppendPicture(images_.OtherImageList);
                 NextInList();
                 l.OtherImageSounds.push_back(current_);
             });
         }},
        {"[SignalImageList]", [&] { ReadImageList(images_.SignalImageList); }},
        {"[SpeedUnit]",
         [&] {
             // Each unit's length and the line's length must be measurable in 32 bits.
             int64_t total = 0;
             ReadList(l.SpeedUnit, kMaxListEntries, [&] {
                 SpeedUnitData unit{.StartFrame = IntField(1),
                                    .EndFrame = IntField(2),
                                    .StartSpeed = IntField(3),
                                    .EndSpeed = IntField(4)};
                 auto length = UnitLength(unit);
                 if (!length) Fail();
                 total += *length;
                 if (!Fits32(total)) Fail();
                 return unit;
             });
         }},
        {"[Time]",
         [&] {
             ReadList(l.Time, kMaxTimeChecks, [&] {
                 return TimeCheckData{.Kind = IntField(1),
                                      .StartFrame = IntField(2),
                                      .EndFrame = IntField(3),
                                      .ScheduledTime = IntField(4)};
             });
         }},
    };

    while (!file_.Eof()) {
        Next();
        // Errors before the first list are reported as "other"; from the first list on, the
        // label follows the header being compared.
        label_ = "other";
        bool labelled = false;
        for (const auto& [header, read] : sections) {
            if (header == "[SoundData]") labelled = true;
            if (labelled) label_ = header;
            if (!StartsWith(current_, header)) continue;
            if (source_)
                source_->sections.push_back(LineSectionSource{.header = std::string(header),
                                                              .isList = false,
                                                              .headerLine = CurrentLine(),
                                                              .entries = {},
                                                              .endLine = 0});
            read();
            if (source_) source_->sections.back().endLine = CurrentLine();
        }
    }
}

}  // namespace

bool LoadLineFile(const std::filesystem::path& dataDir, std::string_view fileName,
                  PictureLoader& pictures, CabImageLists& images, LineDefinition& line,
                  std::string& error) {
    TextFile file;
    std::string why;
    if (!file.OpenData(dataDir, fileName, &why)) {
        line = LineDefinition{};
        line.FileName = fileName;
        // No line has been read yet: the file's name is the label.
        error = std::string(kLineFileError) + std::string(fileName) + ": " + why;
        return false;
    }
    return ReadLineDefinition(file, dataDir, fileName, pictures, images, line, error);
}

bool ReadLineDefinition(TextFile& file, const std::filesystem::path& dataDir,
                        std::string_view fileName, PictureLoader& pictures, CabImageLists& images,
                        LineDefinition& line, std::string& error, LineSourceMap* source) {
    line = LineDefinition{};
    line.FileName = fileName;
    if (source) *source = LineSourceMap{};
    LineFileParser parser(file, dataDir, pictures, images, line, source);
    try {
        parser.Parse();
    } catch (const ReadFault&) {
        error = parser.Message();
        if (source) source->faultLine = parser.CurrentLine();
        return false;
    } catch (const std::bad_alloc&) {
        parser.OutOfMemory();
        error = parser.Message();
        return false;
    }
    return true;
}

}  // namespace kelvaron
