// Whole runs through `kelvaron --headless`: a script of driver inputs over the
// sample train and line, checked on the trace, the sound log, the summary and the review.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QtCore/QXmlStreamReader>
#include <QtGui/QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ffmpeg/video_writer.h"
#include "test_support.h"
#include "trace_table.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kStartClock = 1080000;       // the line's [StartTime], 10:00:00
constexpr int64_t kLastStopPosition = 236747;  // 港北, 1/100 m (worked out in the first test)

struct Outcome {
    int exitCode = -1;
    std::string out, err;
    test::Trace trace{""};
    std::string soundLog;
};

// Each test drives its own copy of the sample data, with a cab video beside it:
// the runner only reads its frame count (6000), which decides when the
// preceding train leaves the line.
class HeadlessRun : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = test::MakeTempDir();
        data_ = dir_ / "data";
        fs::copy(test::FixtureDir() / "fixtures", data_, fs::copy_options::recursive);
        fs::create_directories(data_ / "movie");
        VideoSettings video;
        video.width = 32;
        video.height = 16;
        ASSERT_TRUE(WriteTestVideo(data_ / "movie" / "line_basic.avi", video, 6000,
                                   [](int32_t, Picture&) {}));
        // What the runs learn of their videos stays with this test.
        setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
    }
    void TearDown() override { unsetenv("XDG_CACHE_HOME"); }

    // Runs the program on the e2e line with `script` (none when empty) and `options`.
    Outcome Run(const std::string& script, const std::string& options = "",
                const fs::path& program = KELVARON_BINARY) {
        fs::remove(dir_ / "trace.csv");
        fs::remove(dir_ / "sound.log");
        std::string command = "'" + program.string() + "' --headless --data '" + data_.string() +
                              "' --train train_electric.dat --line e2e_line.dat" + " --trace '" +
                              (dir_ / "trace.csv").string() + "'";
        if (!script.empty()) {
            test::WriteFile(dir_ / "script.txt", script);
            command += " --script '" + (dir_ / "script.txt").string() + "'";
        }
        command += " " + options + " >'" + (dir_ / "out").string() + "' 2>'" +
                   (dir_ / "err").string() + "'";
        int status = std::system(command.c_str());
        Outcome o;
        if (WIFEXITED(status)) o.exitCode = WEXITSTATUS(status);
        o.out = test::ReadAll(dir_ / "out");
        o.err = test::ReadAll(dir_ / "err");
        o.trace = test::Trace(test::ReadAll(dir_ / "trace.csv"));
        o.soundLog = test::ReadAll(dir_ / "sound.log");
        return o;
    }

    Outcome RunFixtureScript(const std::string& name, const std::string& options = "") {
        return Run(test::ReadAll(test::FixtureDir() / "fixtures" / name), options);
    }

    // The drive-and-stop script with its review written to `file`.
    Outcome Review(const fs::path& file) {
        return RunFixtureScript("e2e_drive_and_stop.txt", "--review '" + file.string() + "'");
    }

    std::string SoundLogOption() const {
        return "--sound-log '" + (dir_ / "sound.log").string() + "'";
    }

    fs::path dir_, data_;
};

bool Standing(const test::Trace& t, size_t row) {
    // The speed rounds to 0 km/h: 0.5 km/h (5000 stored) does, ties going to even.
    int64_t speed = t.Int(row, "Speed");
    return speed >= -5000 && speed <= 5000;
}

TEST_F(HeadlessRun, LeavesTheStationAndBrakesToAStop) {
    Outcome o = RunFixtureScript("e2e_drive_and_stop.txt", "--trace-every tick");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const test::Trace& t = o.trace;
    EXPECT_EQ(t.header,
              "t_ms,event,Frame,Speed,Distance,ClockTicks,PowerNotch,BrakeNotch,HoldPosition,"
              "Reverser,EffectivePower,EffectiveBrake,SapNotch,TractiveForce,ResistForce,"
              "MotorForce,BcPressure,BpPressure,MrPressure,SapPressure,McBcPressure,"
              "CompressorOn,Slope,Adhesion,DoorsOpen,ForcedEB,SpeedCheckEB,FilmingSpeed,"
              "TargetDistance,RemainingDistance,LeaderFrame,WheelState,AtsLimit,AtsAlarm,"
              "SignalImageIndex,CurrentSignal,PatternState,VigilanceTimer,AnnouncePos,"
              "StationFlagsDone");

    // Ticks every 33 ms and refreshes every 100 ms from the start at 0, up to
    // the close at 70.05 s: 2122 ticks, 700 refreshes; each tick moves the
    // clock by one 1/30 s, so at 100 ms three ticks have run.
    ASSERT_EQ(t.Of("tick").size(), 2122u);
    ASSERT_EQ(t.Of("refresh").size(), 700u);
    EXPECT_EQ(t.Int(t.RefreshAt(100), "ClockTicks"), kStartClock + 3);
    for (size_t i = 0; i < t.rows.size(); ++i) {
        EXPECT_EQ(t.Int(i, "ClockTicks"), kStartClock + t.Int(i, "t_ms") / 33) << "row " << i;
    }

    // The conductor closes the doors once the door-close time 10:00:40
    // (1081200) has passed: the 1201st tick at 39633 ms passes it, the refresh
    // at 39700 gives the command and marks the station done, and the (silent)
    // closing sound having ended, the doors are shut at the next refresh.
    EXPECT_EQ(t.Int(t.RefreshAt(39600), "StationFlagsDone"), 0);
    EXPECT_EQ(t.Int(t.RefreshAt(39700), "StationFlagsDone"), 1);
    EXPECT_EQ(t.Int(t.RefreshAt(39700), "DoorsOpen"), 1);
    EXPECT_EQ(t.Int(t.RefreshAt(39800), "DoorsOpen"), 0);
    // The departure time 10:00:30 (1080900) passes at the 901st tick (29733 ms):
    // from the refresh at 29800 the target is 港北's stop position, the middle
    // frame 4650 of its zone: 13889 + 95833 + 97222 over the first three
    // filming-speed sections plus 85.833 / 7.2 x 750 / 30 x 100 = 29803.
    EXPECT_EQ(t.Text(t.RefreshAt(29700), "TargetDistance"), "0.0000");
    EXPECT_EQ(t.Text(t.RefreshAt(29800), "TargetDistance"), "236747.0000");

    // "z" x4 at 41000: the notch takes effect on the third tick (41085), the
    // motor pulls from the next tick and the refresh at 41200 integrates 3.0
    // km/h/s (notch 4 at standstill) over 0.1 s: 0.3 km/h. Before that the
    // train has not moved at all: braked until about 14 s, doors open until 39.8 s.
    EXPECT_EQ(t.Int(t.RefreshAt(41100), "EffectivePower"), 4);
    EXPECT_EQ(t.Int(t.RefreshAt(41200), "Speed"), 3000);
    for (size_t i = 0; i < t.rows.size() && t.Int(i, "t_ms") < 41200; ++i) {
        ASSERT_EQ(t.Int(i, "Speed"), 0) << "row " << i;
        ASSERT_EQ(t.Text(i, "Distance"), "0.0000") << "row " << i;
    }

    // Braked to a stop on level track: from the first standstill on, the speed
    // stays exactly 0 and neither the distance nor the frame changes.
    auto stop = t.FirstRefresh(
        [&](size_t i) { return t.Int(i, "t_ms") > 50000 && t.Int(i, "Speed") == 0; });
    ASSERT_TRUE(stop);
    EXPECT_EQ(t.Int(*stop, "Slope"), 0);
    for (size_t i = *stop; i < t.rows.size(); ++i) {
        ASSERT_EQ(t.Int(i, "Speed"), 0) << "row " << i;
        ASSERT_EQ(t.Text(i, "Distance"), t.Text(*stop, "Distance")) << "row " << i;
        ASSERT_EQ(t.Int(i, "Frame"), t.Int(*stop, "Frame")) << "row " << i;
    }

    // Departed when the speed first rounds to 1 km/h: 0.3 km/h at 41200 does
    // not, about 0.6 at 41300 does; clock 1080000 + 41300 div 33 = 1081251,
    // 10:00:41.7, 11.7 s after the timetable's 10:00:30.
    EXPECT_EQ(t.Int(t.RefreshAt(41300), "ClockTicks"), 1081251);
    EXPECT_NE(o.out.find("  中央駅: start, departed 10:00:41 (+11.7 s), timetable 10:00:30\n"
                         "  桜町: not reached\n"
                         "  港北: not reached\n"),
              std::string::npos)
        << o.out;
}

TEST_F(HeadlessRun, NothingAdvancesWhilePausedButTheHandlesStillMove) {
    // Release at 1 s, pause at 5 s, move the brake handle to B1 while paused,
    // resume at 8 s.
    Outcome o = Run("0 start\n1000 char 5\n5000 start\n6000 char .\n8000 start\n9000 close\n",
                    "--trace-every tick");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const test::Trace& t = o.trace;
    // Input comes first at equal times, so the refresh due at 5000 never ran:
    // the last rows before the pause are the tick at 4983 (the 151st) and the
    // refresh at 4900; after the resume the phases restart from 8000.
    size_t lastTick = 0, firstTick = 0;
    for (size_t i = 0; i + 1 < t.rows.size(); ++i) {
        int64_t now = t.Int(i, "t_ms"), next = t.Int(i + 1, "t_ms");
        EXPECT_FALSE(now > 4983 && now < 8033) << "row at " << now << " ms while paused";
        if (now <= 4983 && next >= 8033) lastTick = i, firstTick = i + 1;
    }
    ASSERT_EQ(t.Int(lastTick, "t_ms"), 4983);
    ASSERT_EQ(t.Text(lastTick, "event"), "tick");
    ASSERT_EQ(t.Int(firstTick, "t_ms"), 8033);
    EXPECT_EQ(t.Int(t.RefreshAt(8100), "ClockTicks"), kStartClock + 154);

    // The clock and the brake pipe carry on by one tick's step across the
    // pause: BP gains 200/150 kPa (13333 stored) per tick out of EB.
    EXPECT_EQ(t.Int(lastTick, "ClockTicks"), kStartClock + 151);
    EXPECT_EQ(t.Int(firstTick, "ClockTicks"), kStartClock + 152);
    EXPECT_EQ(t.Int(firstTick, "BpPressure") - t.Int(lastTick, "BpPressure"), 13333);
    // The handle moved while paused, but its two-tick delay only runs again
    // after the resume: B1 takes effect on the second tick, at 8066.
    EXPECT_EQ(t.Int(firstTick, "BrakeNotch"), -1);
    EXPECT_EQ(t.Int(firstTick, "EffectiveBrake"), 0);
    EXPECT_EQ(t.Int(firstTick + 1, "t_ms"), 8066);
    EXPECT_EQ(t.Int(firstTick + 1, "EffectiveBrake"), -1);
}

TEST_F(HeadlessRun, AllKeysOfOneMillisecondComeBeforeItsRefresh) {
    // Four "z" at 300 ms raise the power handle P0 -> P4 (the train's top
    // notch), five "a" at the refresh moment 1000 ms bring it back to P0 and
    // one more: both refresh rows must show the handle where the keys left it.
    std::string script = "0 start\n";
    for (int i = 0; i < 4; ++i) script += "300 char z\n";
    for (int i = 0; i < 5; ++i) script += "1000 char a\n";
    Outcome o = Run(script, "--until 1");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.trace.Int(o.trace.RefreshAt(300), "PowerNotch"), 4);
    EXPECT_EQ(o.trace.Int(o.trace.RefreshAt(1000), "PowerNotch"), 0);

    // A close among them still ends the run before that moment's timers.
    o = Run("0 start\n990 char z\n990 close\n990 char z\n", "--trace-every tick");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.trace.Int(o.trace.rows.size() - 1, "t_ms"), 957);
}

TEST_F(HeadlessRun, ASerialCodeThatMayStillGrowActsWhenItsWaitIsOver) {
    // "B1" (B1) begins "B18" (B8): it waits 100 ms for more, then acts as it is.
    test::WriteFile(data_ / "mascon.dat",
                    "P1\nP2\nP3\nP4\nP5\nP6\nN\nB1\nB2\nB3\nB4\nB5\nB6\nB7\nB18\n");
    Outcome o = Run("0 start\n1000 serial B1\n1500 serial B1\n1550 serial 8\n2000 close\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const test::Trace& t = o.trace;
    EXPECT_EQ(t.Int(t.RefreshAt(1000), "BrakeNotch"), -8);  // EB from the start
    EXPECT_EQ(t.Int(t.RefreshAt(1100), "BrakeNotch"), -1);  // its wait ends before the refresh
    EXPECT_EQ(t.Int(t.RefreshAt(1500), "BrakeNotch"), -1);
    EXPECT_EQ(t.Int(t.RefreshAt(1600), "BrakeNotch"), -8);  // completed at 1550
}

TEST_F(HeadlessRun, AVideoRunBeforeNeedsNoVideoModuleUntilItChanges) {
    // A copy of the program without the video module beside it can run a line
    // only on what an earlier run learnt of its video.
    const fs::path alone = dir_ / "bin" / "kelvaron";
    fs::create_directories(alone.parent_path());
    fs::copy_file(KELVARON_BINARY, alone);
    const std::string script =
        test::ReadAll(test::FixtureDir() / "fixtures" / "e2e_drive_and_stop.txt");
    Outcome unknown = Run(script, "", alone);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("cannot load the video module"), std::string::npos) << unknown.err;

    const Outcome first = Run(script);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const Outcome known = Run(script, "", alone);
    ASSERT_EQ(known.exitCode, 0) << known.err;
    EXPECT_EQ(known.trace.rows, first.trace.rows);

    // A video written again (same size, a later time) is read afresh.
    const fs::path video = data_ / "movie" / "line_basic.avi";
    fs::last_write_time(video, fs::last_write_time(video) + std::chrono::seconds(2));
    EXPECT_EQ(Run(script, "", alone).exitCode, 1);
}

TEST_F(HeadlessRun, RefusesABadScriptOrMissingFilesBeforeAnythingRuns) {
    Outcome o = Run("0 start\n100 char z\n# comment\n50 char a\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("line 4"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(o.trace.header.empty()) << "a trace was written";

    o = Run("0 start\n100 jump 3\n");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.err.find("line 2"), std::string::npos) << o.err;

    const std::string fine = "0 start\n1000 close\n";
    fs::rename(data_ / "kelvaron.dat", dir_ / "kelvaron.dat");
    o = Run(fine);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "stringファイルに誤りがありますkelvaron.dat: No such file or directory\n");
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(o.trace.rows.empty());
    fs::rename(dir_ / "kelvaron.dat", data_ / "kelvaron.dat");

    fs::remove(data_ / "e2e_line.dat");
    o = Run(fine);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err.rfind("路線ファイルに誤りがあります。", 0), 0u) << o.err;
    EXPECT_TRUE(o.trace.rows.empty());

    fs::remove(data_ / "train_electric.dat");
    o = Run(fine);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err.rfind("車両ファイルに誤りがあります", 0), 0u) << o.err;
    EXPECT_TRUE(o.trace.rows.empty());
}

TEST_F(HeadlessRun, WholeRunPastSignalsBehindAPrecedingTrain) {
    Outcome o = RunFixtureScript("e2e_full_run.txt");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const test::Trace& t = o.trace;
    auto frameFrom = [&](int32_t frame) {
        auto row = t.FirstRefresh([&](size_t i) { return t.Int(i, "Frame") >= frame; });
        EXPECT_TRUE(row) << "frame " << frame << " never reached";
        return row.value_or(0);
    };

    // The preceding train starts 55 s x 30 = 1650 frames ahead of frame 30 and
    // moves one frame on each tick that leaves the clock even (every 30 div 15
    // = 2 ticks): one frame by 100 ms, and it leaves the 6000-frame video at frame 6001, on
    // tick 2 x (6001 - 1680) = 8642, at 285186 ms.
    EXPECT_EQ(t.Int(t.RefreshAt(100), "LeaderFrame"), 1681);
    EXPECT_EQ(t.Int(t.RefreshAt(285100), "LeaderFrame"), 5999);
    EXPECT_EQ(t.Int(t.RefreshAt(285200), "LeaderFrame"), 0);

    // Signals as they come into view. At frame 300 (about 51 s) the preceding
    // train is near frame 2450, in the block of the home signal (2300..4790):
    // the first block signal (type 3) shows yellow, image 10; the home signal
    // (type 5) stop, image 17, from frame 1800. It clears (image 21) when the
    // preceding train reaches 4790, on tick 2 x (4790 - 1680) = 6220 (205260
    // ms), so at the refresh at 205300. The starting signal (type 2) has no
    // block beyond it and shows green, image 8, from frame 3800. Passing each
    // signal's own frame clears the display (999).
    EXPECT_EQ(t.Changes("SignalImageIndex"), (std::vector<int64_t>{999, 10, 999, 17, 21, 999, 8}));
    size_t seen = frameFrom(300);
    EXPECT_EQ(t.Int(seen, "SignalImageIndex"), 10);
    EXPECT_EQ(t.Int(seen - 1, "SignalImageIndex"), 999);
    EXPECT_EQ(t.Int(seen, "CurrentSignal"), 0);
    EXPECT_EQ(t.Int(frameFrom(701), "SignalImageIndex"), 999);
    EXPECT_EQ(t.Int(frameFrom(1800), "SignalImageIndex"), 17);
    EXPECT_EQ(t.Int(frameFrom(1800), "CurrentSignal"), 1);
    EXPECT_EQ(t.Int(t.RefreshAt(205200), "SignalImageIndex"), 17);
    EXPECT_EQ(t.Int(t.RefreshAt(205300), "SignalImageIndex"), 21);
    EXPECT_EQ(t.Int(frameFrom(3800), "SignalImageIndex"), 8);
    EXPECT_EQ(t.Int(frameFrom(3800), "CurrentSignal"), 2);

    // Passing the home signal's alarm point (frame 2000) at stop rings the bell
    // with the stop restriction 998, which the driver confirms; its limit
    // point (frame 2300), passed at green, lifts it again. No emergency brake.
    EXPECT_EQ(t.Changes("AtsLimit"), (std::vector<int64_t>{999, 998, 999}));
    size_t alarm = frameFrom(2001);
    EXPECT_EQ(t.Int(alarm, "AtsLimit"), 998);
    EXPECT_EQ(t.Int(alarm - 1, "AtsLimit"), 999);
    EXPECT_EQ(t.Int(alarm, "AtsAlarm"), 1);
    EXPECT_EQ(t.Int(frameFrom(2301), "AtsLimit"), 999);
    EXPECT_EQ(t.Changes("AtsAlarm"), (std::vector<int64_t>{0, 1, 0}));
    EXPECT_EQ(t.Changes("ForcedEB"), (std::vector<int64_t>{0}));

    // Station flags: 中央駅's doors close at 39700 as in every run from it; at
    // 港北 the conductor opens them on the stop and closes them after its
    // door-close time 10:06:10 (1091100), passed on tick 11101 at 366333 ms.
    EXPECT_EQ(t.Changes("StationFlagsDone"), (std::vector<int64_t>{0, 1, 2}));
    EXPECT_EQ(t.Int(t.RefreshAt(39700), "StationFlagsDone"), 1);
    EXPECT_EQ(t.Int(t.RefreshAt(366300), "StationFlagsDone"), 1);
    EXPECT_EQ(t.Int(t.RefreshAt(366400), "StationFlagsDone"), 2);
    EXPECT_EQ(t.Changes("DoorsOpen"), (std::vector<int64_t>{1, 0, 1, 0}));

    // The summary agrees with the trace: the arrival is the first standstill in
    // 港北's zone (frames 4500..4800), the error where the train came to rest
    // against the stop position 236747.
    auto arrival = t.FirstRefresh([&](size_t i) {
        return t.Int(i, "Frame") >= 4500 && t.Int(i, "Frame") <= 4800 && Standing(t, i);
    });
    ASSERT_TRUE(arrival);
    EXPECT_EQ(t.Int(*arrival, "DoorsOpen"), 1);  // the station logic saw the same stop
    const size_t rest = t.rows.size() - 1;
    const long double error = (std::stold(t.Text(rest, "Distance")) - kLastStopPosition) / 100.0L;
    const int64_t arrived = t.Int(*arrival, "ClockTicks");
    const int64_t secs = arrived / 30;
    char line[160];
    std::snprintf(line, sizeof line,
                  "  港北: stopped, error %+.2Lf m, arrived %02lld:%02lld:%02lld (%+.1Lf s), "
                  "timetable 10:06:00\n",
                  error, static_cast<long long>(secs / 3600),
                  static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60),
                  (static_cast<long double>(arrived) - 1090800) / 30);
    EXPECT_NE(o.out.find(std::string("  中央駅: start, departed 10:00:41 (+11.7 s), "
                                     "timetable 10:00:30\n  桜町: passed ")),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find(line), std::string::npos) << "expected " << line << "in\n" << o.out;
    EXPECT_NE(o.out.find("ATS alarms: 1; emergency brakings: 0 forced by ATS, 0 by vigilance, "
                         "0 by speed check\n"),
              std::string::npos)
        << o.out;
}

TEST_F(HeadlessRun, AStationTheMoveMenuSkipsIsNoMissedStop) {
    // Put at the terminus from the origin: 桜町 lies behind, and the run
    // starts again at 港北.
    Outcome o = Run("0 start\n500 move 2\n3000 close\n",
                    "--review '" + (dir_ / "review.csv").string() + "'");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.out.find("  桜町: moved past\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("  港北: start, timetable"), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("not stopped"), std::string::npos) << o.out;
}

TEST_F(HeadlessRun, EmergencyBrakingsAreCountedByTheirCause) {
    // Full power through the 45 km/h speed check at frame 1200 rings the ATS
    // bell; unconfirmed, the 51st refresh of ringing (ATS_Time 5 s) brakes.
    Outcome o =
        Run("0 start\n1000 char 5\n41000 char z\n41000 char z\n41000 char z\n"
            "41000 char z\n90000 close\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const test::Trace& t = o.trace;
    auto bell = t.FirstRefresh([&](size_t i) { return t.Int(i, "AtsAlarm") == 1; });
    ASSERT_TRUE(bell);
    EXPECT_GT(t.Int(*bell, "Frame"), 1200);
    EXPECT_GT(t.Int(*bell, "Speed"), 450000);
    const int64_t rang = t.Int(*bell, "t_ms");
    EXPECT_EQ(t.Int(t.RefreshAt(rang + 5000), "ForcedEB"), 0);
    EXPECT_EQ(t.Int(t.RefreshAt(rang + 5100), "ForcedEB"), 1);
    EXPECT_NE(o.out.find("ATS alarms: 1; emergency brakings: 1 forced by ATS, 0 by vigilance, "
                         "0 by speed check\n"),
              std::string::npos)
        << o.out;

    // Coasting at about 20 km/h without touching anything after 48 s: the
    // vigilance device counts one per refresh above 1 km/h, from 1 at 48000,
    // and brakes when it exceeds 650, at 48000 + 650 x 100 = 113000.
    o =
        Run("0 start\n1000 char 5\n41000 char z\n41000 char z\n41000 char z\n41000 char z\n"
            "48000 char 5\n130000 close\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.trace.Int(o.trace.RefreshAt(112900), "ForcedEB"), 0);
    EXPECT_EQ(o.trace.Int(o.trace.RefreshAt(113000), "ForcedEB"), 1);
    EXPECT_EQ(o.trace.Changes("AtsAlarm"), (std::vector<int64_t>{0}));
    EXPECT_NE(o.out.find("ATS alarms: 0; emergency brakings: 0 forced by ATS, 1 by vigilance, "
                         "0 by speed check\n"),
              std::string::npos)
        << o.out;
}

TEST_F(HeadlessRun, UntilTickRowsAndTheSoundLog) {
    // --until cuts a script that would run on: refreshes up to 2500 (25) and
    // ticks up to 2475 (75), ticks first where both fall due.
    Outcome o = Run("0 start\n100000 close\n", "--until 2.5 --trace-every tick");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.trace.Of("refresh").size(), 25u);
    EXPECT_EQ(o.trace.Of("tick").size(), 75u);
    EXPECT_EQ(o.trace.Int(o.trace.rows.size() - 1, "t_ms"), 2500);
    EXPECT_EQ(o.trace.Int(o.trace.rows.size() - 1, "ClockTicks"), kStartClock + 75);
    EXPECT_NE(o.out.find("Run summary\n"), std::string::npos);

    o = Run("0 start\n100000 close\n", "--until 3.3 --trace-every tick");
    const size_t last = o.trace.rows.size() - 1;
    EXPECT_EQ(o.trace.Text(last - 1, "t_ms") + o.trace.Text(last - 1, "event"), "3300tick");
    EXPECT_EQ(o.trace.Text(last, "t_ms") + o.trace.Text(last, "event"), "3300refresh");

    // A close comes before the timers due at its own moment: the tick due at
    // 990 (30 x 33) does not run, the last is 957.
    o = Run("0 start\n990 close\n", "--trace-every tick");
    EXPECT_EQ(o.trace.Int(o.trace.rows.size() - 1, "t_ms"), 957);

    // Without --until or a close the run ends with its last event; refresh rows only.
    o = Run("0 start\n2000 char z\n");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.trace.Of("tick").size(), 0u);
    EXPECT_EQ(o.trace.Of("refresh").size(), 20u);

    // The sound log: the departure melody is sound 0 of the line, on channel 13
    // after the train's 13 running sounds, at the refresh after the departure
    // time (29800); the door-closing sound [Sound_DoorClose] 23 at 39700 and
    // the departure signal [DepSign] 32 at 39800.
    o = Run("0 start\n40000 close\n", SoundLogOption());
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::vector<std::string> lines = test::Split(o.soundLog, '\n');
    auto has = [&](const std::string& wanted) {
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    };
    EXPECT_TRUE(has("29800 13 play")) << o.soundLog.substr(0, 2000);
    EXPECT_TRUE(has("39700 23 play"));
    EXPECT_TRUE(has("39800 32 play"));
    EXPECT_FALSE(has("29700 13 play"));
}

TEST_F(HeadlessRun, ReviewTableHasARowPerRefreshAndTheScoreFollowsTheSummary) {
    Outcome o = Review(dir_ / "review.csv");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::map<int64_t, std::vector<std::string>> rows;
    std::istringstream csv(test::ReadAll(dir_ / "review.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line,
              "t_ms,clock,distance_m,speed_kmh,limit_kmh,pattern_brake_kmh,pattern_warning_kmh,"
              "power_notch,brake_notch,forced_braking");
    while (std::getline(csv, line)) {
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        cells.resize(10);
        rows[std::stoll(cells[0])] = cells;
    }
    // Refreshes every 100 ms from the start at 0 to the close at 70.05 s: 700.
    ASSERT_EQ(rows.size(), 700u);
    EXPECT_EQ(rows.begin()->first, 100);
    EXPECT_EQ(rows.rbegin()->first, 70000);
    // Three ticks of 1/30 s after the line's 10:00:00.
    EXPECT_EQ(rows[100][1], "10:00:00");
    // Standing until full power at 41 s; 3.0 km/h/s for 0.1 s gives 0.30 km/h at 41.2 s.
    EXPECT_EQ(rows[41000][2], "0.00");
    EXPECT_EQ(rows[41100][7], "4");
    EXPECT_EQ(rows[41200][3], "0.30");
    // "5" at 48 s lets go of both handles; four "." at 50 s take B4.
    EXPECT_EQ(rows[48100][7], "0");
    EXPECT_EQ(rows[50100][8], "-4");

    // The score comes after the summary's table. The start brake let go
    // standing costs nothing; P0 -> P4 starting off, P4 -> N and N -> B4
    // while moving, three notches beyond the first each: 25 - 9.
    const size_t summaryEnd = o.out.find("ATS alarms: 0;");
    const size_t score = o.out.find("Score ");
    ASSERT_NE(summaryEnd, std::string::npos) << o.out;
    ASSERT_NE(score, std::string::npos) << o.out;
    EXPECT_LT(summaryEnd, score);
    EXPECT_NE(o.out.find("  Comfort 16/25: 4 handle moves, 3 jolts"), std::string::npos) << o.out;
}

TEST_F(HeadlessRun, ReviewPicturesHoldTheWholeLine) {
    Outcome o = Review(dir_ / "review.svg");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    QXmlStreamReader svg(QString::fromStdString(test::ReadAll(dir_ / "review.svg")));
    QString text;
    bool rootIsSvg = false;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == QStringLiteral("svg")) rootIsSvg = true;
        if (svg.isCharacters()) text += svg.text();
    }
    ASSERT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    EXPECT_TRUE(rootIsSvg);
    // The run ends before 桜町; the line's every station is still in the picture.
    for (const char* station : {"中央駅", "桜町", "港北"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(station))) << station;
    }
    EXPECT_TRUE(text.contains("Score ")) << text.toStdString();

    o = Review(dir_ / "review.PNG");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const QImage png(QString::fromStdString((dir_ / "review.PNG").string()), "PNG");
    EXPECT_EQ(png.size(), QSize(1600, 900));
}

TEST_F(HeadlessRun, AReviewThatCannotBeWrittenFailsTheRun) {
    Outcome o = Review(dir_ / "review.pdf");
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("--review takes a .svg, .png or .csv file"), std::string::npos) << o.err;
    // The run and its summary stand; the missing file is reported, not passed over.
    for (const char* name : {"review.csv", "review.svg", "review.png"}) {
        o = Review(dir_ / "no-such-folder" / name);
        EXPECT_EQ(o.exitCode, 1) << name;
        EXPECT_NE(o.out.find("Run summary"), std::string::npos);
        EXPECT_NE(o.err.find("cannot write the review"), std::string::npos) << name << o.err;
    }
}

}  // namespace
}  // namespace kelvaron
