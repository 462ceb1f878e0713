// The generated demo line: both runs load through the readers, the files
// they name exist, the video fits the line, the drive scripts shipped with
// the data drive both runs through their stops in the headless runner, and the
// cab panel shows the line's gradient signs along the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/data_path.h"
#include "data/cab_panel_builder.h"
#include "data/controller_file_reader.h"
#include "data/labels_file_reader.h"
#include "data/line_file_reader.h"
#include "data/sound_setup.h"
#include "data/track_position_table.h"
#include "data/train_file_reader.h"
#include "headless_services.h"
#include "input/keyboard.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "shell/run_window.h"
#include "shell/script_playback.h"
#include "sim/scheduler.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

const fs::path kData = KELVARON_DEMO_DATA;

struct DemoRun {
    const char* name;
    const char* train;
    const char* line;
};
const DemoRun kRuns[] = {{"local", "train_1000.dat", "line_local.dat"},
                         {"express", "train_2000.dat", "line_exp.dat"}};

// One run as start-up reads it.
struct Loaded {
    TrainConfig train;
    LineDefinition line;
    CabImageLists images;
    PanelModel panel;
};

Loaded Load(const DemoRun& run) {
    Loaded l;
    QtPictureLoader pictures;
    std::string error;
    EXPECT_TRUE(LoadTrainFile(kData, run.train, pictures, l.images, l.train, error)) << error;
    EXPECT_TRUE(LoadLineFile(kData, run.line, pictures, l.images, l.line, error)) << error;
    EXPECT_TRUE(BuildCabPanel(kData, l.train, l.line.Staf[0], l.images, pictures, l.panel, error))
        << error;
    EXPECT_TRUE(BuildTrackPositionTable(l.line, error)) << error;
    return l;
}

void ExpectFile(const std::string& name, const std::string& namedIn) {
    if (name.empty()) return;
    EXPECT_TRUE(fs::is_regular_file(ResolveDataPath(kData, name).path))
        << name << " (named in " << namedIn << ") does not exist";
}

TEST(DemoData, BothRunsLoadWithEveryImageListFilled) {
    for (const DemoRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        const Loaded l = Load(run);
        // Signal pictures by image index 0..21; stop marker, uphill, downhill.
        EXPECT_EQ(l.images.SignalImageList.Count(), 22);
        EXPECT_EQ(l.images.SignImageList.Count(), 3);
        EXPECT_EQ(l.images.OtherImageList.Count(),
                  static_cast<int>(l.line.OtherImageSounds.size()));
        // One notch picture per position: notches 0..[Power], brake 0..[Brake].
        EXPECT_EQ(l.images.NotchImageP.Count(), l.train.Power + 1);
        EXPECT_EQ(l.images.NotchImageB.Count(), l.train.Brake + 1);
        // Slot 35 is queued at every departure, so the voice table reaches it.
        EXPECT_GT(l.line.CommentaryCount(), 35);
        EXPECT_EQ(l.line.EventCount, static_cast<int>(l.line.Signal.size() + 2))
            << "every signal and both limits once: none sits on a filming-speed unit boundary";
    }
    Labels labels;
    MenuCaptions captions;
    std::string error;
    ASSERT_TRUE(ReadLabelsFile(kData, labels, captions, &error)) << error;
    EXPECT_EQ(labels.Forward, "前進");
    EXPECT_EQ(labels.EB, "非常");
    MasconCodes codes;
    ASSERT_TRUE(ReadMasconFile(kData, codes, &error)) << error;
    for (int i = 0; i < 22; ++i) EXPECT_FALSE(codes[static_cast<size_t>(i)].empty()) << i;
}

TEST(DemoData, EverySoundChannelOfEachTrainHitsASoundOfItsLine) {
    for (const DemoRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        const Loaded l = Load(run);
        const TrainConfig& t = l.train;
        const int drive = static_cast<int>(t.DriveSound.size());
        const int lineSounds = static_cast<int>(l.line.SoundData.size());
        std::vector<int32_t> channels = {
            t.Sound_br1,       t.Sound_br2,    t.Sound_EB,     t.Sound_Ats1,  t.Sound_Ats2,
            t.Sound_Atc,       t.Sound_Horn,   t.Sound_Horn2,  t.Sound_Horn3, t.Sound_DoorOpen,
            t.Sound_DoorClose, t.Sound_EBring, t.Sound_squeak, t.CP_Start,    t.CP_Cnt,
            t.CP_End,          t.Stop,         t.Buzzer[0],    t.Buzzer[1],   t.DepSign};
        if (t.Engine_Type == 0)
            channels.insert(channels.end(), t.EngineSound.begin(), t.EngineSound.end());
        for (int32_t c : channels) {
            ASSERT_GE(c, 0);
            ASSERT_LT(c, drive + lineSounds) << "channel " << c << " holds no sound";
            const std::string& file = c < drive ? t.DriveSound[static_cast<size_t>(c)]
                                                : l.line.SoundData[static_cast<size_t>(c - drive)];
            ExpectFile(file, run.train);
        }
        // The rolling noise needs bands 0..12; motor sounds in each of the three modes.
        EXPECT_GE(drive, 13);
        std::vector<bool> modes(3, false);
        for (const MotorSoundData& m : t.MotorSound) modes.at(static_cast<size_t>(m.Mode)) = true;
        EXPECT_EQ(modes, std::vector<bool>(3, true));
    }
}

TEST(DemoData, EveryFileTheDataNamesExistsAndTheVideoFitsTheLine) {
    for (const DemoRun& run : kRuns) {
        SCOPED_TRACE(run.name);
        const Loaded l = Load(run);
        for (const std::string& f : l.train.DriveSound) ExpectFile(f, run.train);
        for (const MotorSoundData& m : l.train.MotorSound) ExpectFile(m.FileName, run.train);
        for (const std::string& f : l.line.SoundData) ExpectFile(f, run.line);
        for (const std::string& f : l.line.KankoSound1) ExpectFile(f, run.line);
        for (const Kanko& k : l.line.KankoSound2) ExpectFile(k.FileName, run.line);
        for (const std::string& f : l.line.OtherImageSounds) ExpectFile(f, run.line);
        ExpectFile(l.line.Staf[1], run.line);

        // The frame count equals the last filming-speed unit's end frame, and
        // the line ends before the frame where every run is stopped.
        Labels labels;
        MenuCaptions captions;
        ASSERT_TRUE(ReadLabelsFile(kData, labels, captions, nullptr));
        FfmpegVideoReader video;
        ASSERT_TRUE(video.Open(ResolveVideoFile(kData, labels.Path, l.line.DataName).path));
        ASSERT_FALSE(l.line.SpeedUnit.empty());
        EXPECT_EQ(video.FrameCount(), l.line.SpeedUnit.back().EndFrame);
        EXPECT_LT(l.line.SpeedUnit.back().EndFrame, 55162);
        // The run starts inside the first station's zone.
        EXPECT_GE(l.line.StartPos, l.line.Station[0].ZoneStart);
        EXPECT_LE(l.line.StartPos, l.line.Station[0].ZoneEnd);
    }
    for (const char* f : {"operation.dat", "readme.html", "drive_local.txt", "drive_express.txt"}) {
        ExpectFile(f, "the title screen and help");
    }
    QtPictureLoader pictures;
    for (int i = 1; i <= 6; ++i) {
        const auto title =
            pictures.Load(kData / "image" / "title" / ("0" + std::to_string(i) + ".jpg"),
                          PictureFormats::BitmapOrJpeg);
        ASSERT_TRUE(title) << i;
        EXPECT_EQ(title->width, 640);
        EXPECT_EQ(title->height, 480);
    }
    FfmpegVideoReader opening;
    ASSERT_TRUE(opening.Open(kData / "move" / "opening.avi"));
    EXPECT_GT(opening.FrameCount(), 30);
}

// ---- driving the shipped scripts -------------------------------------------

// The refresh rows of a trace: frame, speed (Fixed4), doors, emergencies.
struct Row {
    int32_t frame = 0;
    int64_t speed = 0;
    bool doors = false;
    bool emergency = false;
};

std::vector<Row> Drive(const DemoRun& run, std::string& summary) {
    const fs::path dir = test::MakeTempDir();
    const std::string command = std::string(KELVARON_BINARY) + " --headless --data " +
                                kData.string() + " --run " + run.name + " --script " +
                                (kData / (std::string("drive_") + run.name + ".txt")).string() +
                                " --trace " + (dir / "trace.csv").string() + " > " +
                                (dir / "summary.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream summaryFile(dir / "summary.txt");
    summary.assign(std::istreambuf_iterator<char>(summaryFile), {});
    std::ifstream trace(dir / "trace.csv");
    std::string line;
    std::getline(trace, line);  // header; the columns are fixed: Frame 3, Speed 4, DoorsOpen 25
    std::vector<Row> rows;
    while (std::getline(trace, line)) {
        std::vector<std::string> cells;
        std::stringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        if (cells.size() < 27 || cells[1] != "refresh") continue;
        rows.push_back({std::stoi(cells[2]), std::stoll(cells[3]), cells[24] == "1",
                        cells[25] == "1" || cells[26] == "1"});
    }
    return rows;
}

bool InZone(const Row& r, const StationData& s) {
    return r.frame >= s.ZoneStart && r.frame <= s.ZoneEnd;
}

// Checks every stop's arrival against the timetable as the summary prints it
// ("arrived 10:01:51 (-23.1 s)"): a timetable the drive keeps puts each one
// within half a minute. Returns the number of stops.
int ExpectPunctual(const std::string& summary) {
    int stops = 0;
    for (size_t at = summary.find("arrived "); at != std::string::npos;
         at = summary.find("arrived ", at + 1)) {
        const size_t open = summary.find('(', at);
        if (open == std::string::npos) break;
        const double seconds = std::stod(summary.substr(open + 1));
        EXPECT_LE(std::abs(seconds), 30.0) << summary.substr(at, 32);
        ++stops;
    }
    return stops;
}

TEST(DemoData, TheLocalScriptStopsInEveryZoneWithTheDoorsWorked) {
    const Loaded l = Load(kRuns[0]);
    std::string summary;
    const std::vector<Row> rows = Drive(kRuns[0], summary);
    ASSERT_FALSE(rows.empty());
    for (size_t i = 1; i < l.line.Station.size(); ++i) {
        const StationData& s = l.line.Station[i];
        SCOPED_TRACE(i);
        bool stopped = false, opened = false, closedAfter = false;
        for (const Row& r : rows) {
            if (!InZone(r, s)) continue;
            stopped |= r.speed == 0;
            if (r.doors) opened = true;
            if (opened && !r.doors) closedAfter = true;
        }
        EXPECT_TRUE(stopped);
        if (s.Kind == 0) {
            EXPECT_TRUE(opened) << "the conductor opens the doors at a stop";
            const bool terminus = i + 1 == l.line.Station.size();
            EXPECT_TRUE(closedAfter || terminus) << "and closes them to leave";
        } else {
            EXPECT_FALSE(opened) << "no doors at an operational stop";
        }
    }
    for (const Row& r : rows) ASSERT_FALSE(r.emergency) << "at frame " << r.frame;
    EXPECT_TRUE(InZone(rows.back(), l.line.Station.back()));
    EXPECT_EQ(rows.back().speed, 0);
    EXPECT_NE(summary.find("Stations:"), std::string::npos) << summary;
    EXPECT_EQ(ExpectPunctual(summary), 4) << summary;
}

TEST(DemoData, TheExpressScriptRunsThroughThePassedStationsAndStopsAtItsOwn) {
    const Loaded l = Load(kRuns[1]);
    std::string summary;
    const std::vector<Row> rows = Drive(kRuns[1], summary);
    ASSERT_FALSE(rows.empty());
    int passed = 0;
    for (const StationData& s : l.line.Station) {
        bool stopped = false, opened = false, seen = false;
        int64_t slowest = INT64_MAX;
        for (const Row& r : rows) {
            if (!InZone(r, s)) continue;
            seen = true;
            stopped |= r.speed == 0;
            opened |= r.doors;
            slowest = std::min(slowest, r.speed);
        }
        if (s.Kind == 1) {
            ++passed;
            // Passed at speed: the zone's low filming speed flashes by.
            EXPECT_TRUE(!seen || slowest > 300000) << s.Name << " slowest " << slowest;
        } else {
            EXPECT_TRUE(stopped && opened) << s.Name << " the driver works the doors";
        }
    }
    EXPECT_EQ(passed, 2);
    for (const Row& r : rows) ASSERT_FALSE(r.emergency) << "at frame " << r.frame;
    EXPECT_NE(summary.find("Stations:"), std::string::npos) << summary;
    EXPECT_EQ(ExpectPunctual(summary), 2) << summary;
}

// ---- the cab along the line -------------------------------------------------

TEST(DemoData, TheGradientSignsShowOnTheCabPanel) {
    // The automatic-run switch (Shift+F1) carries the local train along the
    // line at the filming speed, into the 5.0 permil rise at frames 640..1198
    // and the 10.0 permil fall at 4605..4819: the panel must then show the
    // uphill and the downhill sign (SignImageList entries 1 and 2) at their
    // own size.
    test::HeadlessServices<VirtualMixer, FfmpegVideoReader> services(nullptr, false);
    RunWindow w(services.Platform(), kData, "train_1000.dat", "line_local.dat");
    ASSERT_TRUE(w.FormCreate()) << w.StartupError();
    const Loaded l = Load(kRuns[0]);
    Scheduler scheduler;
    WindowTimers timers(w);
    w.start1Click();
    scheduler.Start(0);
    w.Input().KeyDown(kVkF1, true);

    // Runs the line on until the train passes `frame`; the sign then shown.
    const auto signAt = [&](int32_t frame) -> const PanelControl& {
        for (int64_t t = scheduler.Now() + 100; w.State().Frame < frame && t < 1'200'000;
             t += 100) {
            scheduler.AdvanceTo(t, timers);
        }
        return *w.Panel().Find("SlopeImage");
    };
    const std::pair<int32_t, const char*> sections[] = {{700, "5.0"}, {4700, "-10.0"}};
    for (int entry = 1; entry <= 2; ++entry) {
        const auto [frame, text] = sections[entry - 1];
        const PanelControl& sign = signAt(frame);
        SCOPED_TRACE(text);
        EXPECT_EQ(w.Panel().Text("SlopeText"), text);
        ASSERT_TRUE(sign.picture) << "no gradient sign at frame " << w.State().Frame;
        EXPECT_EQ(sign.picture->pixels, l.images.SignImageList.Get(entry)->pixels);
        EXPECT_EQ(sign.width, sign.picture->width);
        EXPECT_EQ(sign.height, sign.picture->height);
    }
}

}  // namespace
}  // namespace kelvaron
