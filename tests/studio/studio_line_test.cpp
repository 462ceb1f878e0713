#include "studio/studio_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "data/line_dump.h"
#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

// Every line file the project has: the fixtures and, in the plain build, the demo lines.
std::vector<fs::path> AllLineFiles() {
    std::vector<fs::path> files;
    std::vector<fs::path> dirs = {test::FixtureDir() / "fixtures"};
#ifdef KELVARON_DEMO_DATA
    dirs.emplace_back(KELVARON_DEMO_DATA);
#endif
    for (const auto& dir : dirs) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.path().extension() != ".dat") continue;
            if (test::ReadAll(entry.path()).find("[SpeedUnit]") != std::string::npos) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

// The line as the run reads it, with its derived positions.
std::string Dump(const StudioLine& line) {
    return LineDefinitionToJson(line.Definition());
}

TEST(StudioRoundTrip, EveryLineFileIsWrittenBackAsItWasRead) {
    QtPictureLoader pictures;
    const auto files = AllLineFiles();
    ASSERT_GE(files.size(), 2u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string original = test::ReadAll(file);
        std::string error;
        auto line = StudioLine::Open(file.parent_path(), file.filename().string(), pictures, error);
        ASSERT_TRUE(line) << error;
        ASSERT_EQ(line->CheckMessage(), "");
        const std::string dump = Dump(*line);

        EXPECT_EQ(line->Bytes(line->Document().Encoding(), error), original);

        // Every record written again from its fields gives the same bytes.
        for (const auto& record : line->AllRecords()) {
            ASSERT_TRUE(line->Replace(record.kind, record.index, record.fields, error)) << error;
        }
        EXPECT_EQ(line->Bytes(line->Document().Encoding(), error), original);
        EXPECT_EQ(Dump(*line), dump);

        // In the other encoding the run reads the same tables.
        const auto other = line->Document().Encoding() == TextEncoding::Utf8
                               ? TextEncoding::ShiftJis
                               : TextEncoding::Utf8;
        auto converted = line->Bytes(other, error);
        ASSERT_TRUE(converted) << error;
        StudioLine reread(file.parent_path(), file.filename().string(),
                          LineDocument::FromBytes(*converted), pictures);
        EXPECT_EQ(Dump(reread), dump);

        // Edits undone leave the bytes they found.
        while (line->CanUndo()) line->Undo();
        ASSERT_TRUE(line->Remove(RecordKind::SpeedUnit, 0, error)) << error;
        ASSERT_TRUE(line->SetValue("[LineName]", {"改名"}, error)) << error;
        line->Undo();
        line->Undo();
        EXPECT_EQ(line->Bytes(line->Document().Encoding(), error), original);
        EXPECT_FALSE(line->Modified());
    }
}

// A line filmed at 54 km/h throughout: 15 m/s, half a metre (50 in 1/100 m) per frame.
constexpr const char* kSteadyLine =
    "[LineName]\r\nsteady\r\n[FrameRate]\r\n30\r\n"
    "[Station]\r\nA,0,0,100,0,1080000,1080300\r\nC,0,5000,5200,0,1090000,1090300\r\n#\r\n"
    "[Signal]\r\n0,S1,0,3,800,1000,900,1000,4,0\r\n0,S2,0,3,2800,3000,2900,3000,4,0\r\n#\r\n"
    "[SignalKanko]\r\n1,0,19\r\n#\r\n"
    "[SpeedUnit]\r\n0,6000,54,54\r\n#\r\n";

class StudioEdits : public ::testing::Test {
  protected:
    StudioEdits()
        : line(test::MakeTempDir(), "steady.dat", LineDocument::FromBytes(kSteadyLine), pictures) {}
    QtPictureLoader pictures;
    StudioLine line;
    std::string error;
};

TEST_F(StudioEdits, EveryKindIsAddedAtItsPlaceAndUndoneAndRedone) {
    // Each record stands at frame 2000, 1000 m from the start (2000 x 50 = 100000).
    struct Sample {
        RecordKind kind;
        std::vector<std::string> fields;
    };
    const Sample samples[] = {
        {RecordKind::Station, {"B", "0", "1900", "2100", "0", "1085000", "1085300"}},
        {RecordKind::Signal, {"0", "S", "0", "3", "1800", "2000", "1900", "2000", "4", "0"}},
        {RecordKind::SpeedLimit, {"45", "1", "0", "2000", "2500"}},
        {RecordKind::Sign, {"2", "2000", "2300"}},
        {RecordKind::Tunnel, {"2000", "2600"}},
        {RecordKind::Gradient, {"-12.5", "2000", "4000"}},
        {RecordKind::TrackSound, {"1", "2000", "2100", "60", "0"}},
        {RecordKind::PassingSource, {"2", "2000", "30000", "0"}},
        {RecordKind::Announcement, {"1", "2000"}},
        {RecordKind::SpeedCheck, {"45", "2000"}},
        {RecordKind::TimeCheck, {"0", "2000", "2200", "1083600"}},
        {RecordKind::StopSound, {"2000"}},
    };
    for (const Sample& sample : samples) {
        SCOPED_TRACE(std::string(LayoutOf(sample.kind).caption));
        const size_t before = line.Records(sample.kind).size();
        ASSERT_TRUE(line.Add(sample.kind, sample.fields, error)) << error;
        EXPECT_EQ(line.CheckMessage(), "");
        auto records = line.Records(sample.kind);
        ASSERT_EQ(records.size(), before + 1);
        // Station and signal go between the existing ones at frames 50/1000 and 5100/3000.
        const size_t expected =
            sample.kind == RecordKind::Station || sample.kind == RecordKind::Signal ? 1 : 0;
        EXPECT_EQ(records[expected].fields, sample.fields);
        EXPECT_EQ(records[expected].position, 100000);

        ASSERT_TRUE(line.Move(sample.kind, expected, 400, error)) << error;
        // 400 frames on: 200 m further.
        EXPECT_EQ(line.Records(sample.kind)[expected].position, 120000);
        ASSERT_TRUE(line.Remove(sample.kind, expected, error)) << error;
        EXPECT_EQ(line.Records(sample.kind).size(), before);
        line.Undo();
        line.Undo();
        EXPECT_EQ(line.Records(sample.kind)[expected].position, 100000);
        line.Redo();
        EXPECT_EQ(line.Records(sample.kind)[expected].position, 120000);
        line.Redo();
        EXPECT_EQ(line.Records(sample.kind).size(), before);
    }
}

TEST_F(StudioEdits, CalloutsFollowTheirSignal) {
    const std::string original = *line.Bytes(TextEncoding::ShiftJis, error);
    // The call-out belongs to S2 (index 1). A signal placed between S1 and S2 makes S2 index 2.
    ASSERT_TRUE(line.Add(RecordKind::Signal,
                         {"0", "N", "0", "3", "1800", "2000", "1900", "2000", "4", "0"}, error));
    EXPECT_EQ(line.Records(RecordKind::Callout)[0].fields[0], "2");
    EXPECT_EQ(line.Definition().SignalKanko[0].SignalIndex, 2);
    // Moving S1 past both others makes it the last: S2 becomes index 1 again.
    ASSERT_TRUE(line.Move(RecordKind::Signal, 0, 3000, error)) << error;
    EXPECT_EQ(line.Records(RecordKind::Signal)[2].fields[1], "S1");
    EXPECT_EQ(line.Records(RecordKind::Callout)[0].fields[0], "1");
    // Removing S2 removes its call-out with it.
    ASSERT_TRUE(line.Remove(RecordKind::Signal, 1, error));
    EXPECT_TRUE(line.Records(RecordKind::Callout).empty());
    line.Undo();
    line.Undo();
    line.Undo();
    EXPECT_EQ(*line.Bytes(TextEncoding::ShiftJis, error), original);
}

TEST_F(StudioEdits, BadFieldsAreRefusedAndFaultsShowTheCheckMessage) {
    const std::string original = *line.Bytes(TextEncoding::ShiftJis, error);
    EXPECT_FALSE(line.Add(RecordKind::Station, {"X,Y", "0", "1", "2", "0", "0", "0"}, error));
    EXPECT_FALSE(line.Add(RecordKind::Station, {"#X", "0", "1", "2", "0", "0", "0"}, error));
    EXPECT_FALSE(line.Add(RecordKind::Gradient, {"1.23456", "0", "10"}, error));
    EXPECT_FALSE(line.SetValue("[StartPos]", {"ten"}, error));
    EXPECT_FALSE(line.CanUndo());
    EXPECT_EQ(*line.Bytes(TextEncoding::ShiftJis, error), original);

    // A limit of 0 km/h is what check refuses, with its own message.
    ASSERT_TRUE(line.Add(RecordKind::SpeedLimit, {"0", "1", "0", "100", "200"}, error));
    EXPECT_EQ(line.CheckMessage(), "路線ファイルに誤りがあります。[SpeedLimit]:0,1,0,100,200");
    line.Undo();
    EXPECT_EQ(line.CheckMessage(), "");
}

TEST_F(StudioEdits, SavingKeepsTheFileUntilTheTextCanBeWritten) {
    const fs::path file = line.DataDir() / line.FileName();
    test::WriteFile(file, "old");
    // U+1F689 has no Shift-JIS code: that save would lose the name.
    ASSERT_TRUE(line.SetValue("[LineName]", {"駅 \xF0\x9F\x9A\x89"}, error));
    EXPECT_FALSE(line.Save(TextEncoding::ShiftJis, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_EQ(test::ReadAll(file), "old");
    EXPECT_TRUE(line.Modified());
    ASSERT_TRUE(line.Save(TextEncoding::Utf8, error)) << error;
    EXPECT_FALSE(line.Modified());
    auto reread = StudioLine::Open(line.DataDir(), line.FileName(), pictures, error);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->Definition().LineName, "駅 \xF0\x9F\x9A\x89");
    line.Undo();
    EXPECT_TRUE(line.Modified());
}

}  // namespace
}  // namespace kelvaron
