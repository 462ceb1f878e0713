#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "test_support.h"

namespace kelvaron {
namespace {

using Outcome = test::ProgramRun;
using test::Quoted;
using test::RunKelvaron;

// A data folder of the sample files, which a test may then change.
std::filesystem::path SampleFolder() {
    auto dir = test::MakeTempDir();
    std::filesystem::copy(test::FixtureDir() / "fixtures", dir,
                          std::filesystem::copy_options::recursive);
    return dir;
}

TEST(CheckCommand, GoodTrainPrintsItsSummary) {
    Outcome o = RunKelvaron("check --data " + Quoted(test::FixtureDir() / "fixtures") +
                            " --train train_electric.dat");
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("electric train, 4 power notches, two handles"), std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("130.5 t"), std::string::npos) << o.out;
}

TEST(CheckCommand, FaultyTrainEndsWithTheSystemMessage) {
    auto dir = SampleFolder();
    test::WriteCp932File(dir / "bad.dat", "[Engine_Type]\n1\n[Tons]\n35,5\n");
    Outcome o = RunKelvaron("check --data " + Quoted(dir) + " --train bad.dat");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "車両ファイルに誤りがあります- 列車の基本設定\n");
    EXPECT_EQ(o.out, "");

    // The brake-step rule is applied as at start-up.
    std::ifstream in(dir / "train_electric.dat", std::ios::binary);
    std::string train{std::istreambuf_iterator<char>(in), {}};
    train.replace(train.find("[Brake]\r\n8"), 10, "[Brake]\r\n2");
    test::WriteFile(dir / "steps.dat", train);
    o = RunKelvaron("check --data " + Quoted(dir) + " --train steps.dat");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "ブレーキの段数を3段以上に設定してください\n");
}

TEST(CheckCommand, WrongOptionsShowTheUsage) {
    for (const char* args :
         {"check --data . --train", "check --train x.dat", "check --data . --bogus 1"}) {
        Outcome o = RunKelvaron(args);
        EXPECT_EQ(o.exitCode, 2) << args;
        EXPECT_NE(o.err.find("usage:"), std::string::npos) << args;
    }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutputAnUnknownOptionIsAnError) {
    Outcome help = RunKelvaron("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage:\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");

    Outcome version = RunKelvaron("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("kelvaron ", 0), 0u) << version.out;
    EXPECT_EQ(version.err, "");

    // Nothing is opened, not even the desktop: the usage goes to standard error.
    Outcome unknown = RunKelvaron("--bogus");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, help.out);
}

TEST(CheckCommand, LineAndDumpShowWhatStartUpDerives) {
    const std::string data = Quoted(test::FixtureDir() / "fixtures");
    Outcome o = RunKelvaron("check --data " + data +
                            " --train train_electric.dat --line line_basic.dat --dump");
    ASSERT_EQ(o.exitCode, 0) << o.err;
    // Derived run-time fields and the panel's controls are in the dump.
    for (const char* key : {"\"EventTable\"", "\"StopPosition\"", "\"CumulativeDistance\"",
                            "\"Needle_Speed\"", "\"Lamp_Door\""}) {
        EXPECT_NE(o.out.find(key), std::string::npos) << key;
    }

    auto dir = SampleFolder();
    test::WriteCp932File(dir / "bad_line.dat", "[SpeedLimit]\n0,1,0,100,200\n#\n");
    o = RunKelvaron("check --data " + Quoted(dir) + " --line bad_line.dat --dump");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "路線ファイルに誤りがあります。[SpeedLimit]:0,1,0,100,200\n");
}

// A check or a headless run starts in a fraction of the time the desktop
// libraries take to load, so the command must not load them for these modes.
TEST(KelvaronCommand, ChecksAndHeadlessRunsLoadNoDesktopLibrary) {
    const std::string data = Quoted(test::FixtureDir() / "fixtures");
    setenv("LD_DEBUG", "libs", 1);
    const Outcome check = RunKelvaron("check --data " + data + " --train train_electric.dat");
    const Outcome run = RunKelvaron("--headless --data " + data +
                                    " --train train_electric.dat --line line_basic.dat --until 1");
    unsetenv("LD_DEBUG");
    for (const Outcome* o : {&check, &run}) {
        EXPECT_EQ(o->exitCode, 0);
        // The loader's trace names every library it opens; the core's own are there.
        EXPECT_NE(o->err.find("libQt6Gui"), std::string::npos);
        for (const char* desktop : {"libQt6Widgets", "libQt6SerialPort", "libSDL2", "libopenal"}) {
            EXPECT_EQ(o->err.find(desktop), std::string::npos) << desktop;
        }
    }
    // FFmpeg comes only with the video a run opens.
    EXPECT_EQ(check.err.find("libavformat"), std::string::npos);
}

// Every mode with windows is the desktop program's, and a run's video comes
// from the video module: without them beside the command, the command says so
// instead of failing in silence or running as if the line had no video.
TEST(KelvaronCommand, DesktopModesAndVideoNeedTheirCompanionFiles) {
    Outcome o = RunKelvaron("--data . --bogus");
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("usage:"), std::string::npos);

    const auto lone = test::MakeTempDir();
    std::filesystem::copy_file(KELVARON_BINARY, lone / "kelvaron");
    const std::string command =
        "'" + (lone / "kelvaron").string() + "' --data . 2>'" + (lone / "err").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(test::ReadAll(lone / "err"),
              "kelvaron: kelvaron-desktop is not installed beside this program\n");

    const std::string run = "'" + (lone / "kelvaron").string() + "' --headless --data " +
                            Quoted(test::FixtureDir() / "fixtures") +
                            " --train train_electric.dat --line line_basic.dat 2>'" +
                            (lone / "err").string() + "' >/dev/null";
    const int runStatus = std::system(run.c_str());
    ASSERT_TRUE(WIFEXITED(runStatus));
    EXPECT_EQ(WEXITSTATUS(runStatus), 1);
    EXPECT_EQ(test::ReadAll(lone / "err"),
              "kelvaron: cannot load the video module kelvaron-video.so: not found\n");
}

TEST(CheckCommand, TheFolderFilesAreCheckedAsAtStartUp) {
    // A missing labels file once passed the check and then ended the program.
    auto dir = SampleFolder();
    std::filesystem::remove(dir / "kelvaron.dat");
    Outcome o = RunKelvaron("check --data " + Quoted(dir) + " --train train_electric.dat");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "stringファイルに誤りがありますkelvaron.dat: No such file or directory\n");

    dir = SampleFolder();
    std::filesystem::remove(dir / "mascon.dat");
    o = RunKelvaron("check --data " + Quoted(dir) + " --line line_basic.dat");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err, "mascon.dat: No such file or directory\n");

    // Every file is named with the reason, the train file too.
    o = RunKelvaron("check --data " + Quoted(SampleFolder()) + " --train none.dat");
    EXPECT_EQ(o.err, "車両ファイルに誤りがありますnone.dat: No such file or directory\n");
}

TEST(CheckCommand, AWrongDataFolderIsReportedOnce) {
    const auto missing = test::MakeTempDir() / "no such folder";
    for (const std::string& mode : {"check --data " + Quoted(missing) + " --train t.dat",
                                    "--headless --data " + Quoted(missing) + " --run local"}) {
        Outcome o = RunKelvaron(mode);
        EXPECT_EQ(o.exitCode, 1) << mode;
        EXPECT_EQ(o.err, "the data folder " + missing.string() + " does not exist\n") << mode;
    }
    const auto empty = test::MakeTempDir();
    Outcome o = RunKelvaron("--headless --data " + Quoted(empty) + " --run express");
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.err.rfind("the data folder " + empty.string() + " holds none of the files", 0), 0u)
        << o.err;
}

TEST(CheckCommand, AVideoNameOutsideItsFolderIsNoted) {
    auto dir = SampleFolder();
    std::ifstream in(dir / "line_basic.dat", std::ios::binary);
    std::string line{std::istreambuf_iterator<char>(in), {}};
    line.replace(line.find("[DataName]\r\nline_basic"), 22, "[DataName]\r\n..\\..\\x");
    test::WriteFile(dir / "line_out.dat", line);
    Outcome o = RunKelvaron("check --data " + Quoted(dir) + " --line line_out.dat");
    EXPECT_EQ(o.exitCode, 0) << o.err;  // a run without pictures still runs
    EXPECT_NE(o.out.find("video ..\\..\\x (not opened: outside the data folder)"),
              std::string::npos)
        << o.out;
}

}  // namespace
}  // namespace kelvaron
