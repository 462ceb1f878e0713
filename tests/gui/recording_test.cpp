// Record and replay through the desktop run window: a run driven by key
// events is recorded, and the recording replays to the same trace byte for
// byte, headless and in the window; against changed files it is refused.
#include <gtest/gtest.h>

#include <QtGui/QKeyEvent>
#include <memory>

#include "drive/made_line.h"
#include "gui/help_window_widget.h"
#include "gui/run_window_widget.h"
#include "gui/value_window_widget.h"
#include "gui_test_app.h"
#include "headless_services.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/headless/recording_shell_opener.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/timed_mixer.h"
#include "shell/run_recording.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

// One desktop run window on the made data, as the program opens it: its
// sound through a timed mixer, its runs recorded, its trace written, and the
// program-wide settings an earlier run left behind.
struct Desk {
    Desk(const fs::path& data, const fs::path& recordings, const fs::path& trace,
         const ProgramSettings& earlier = {})
        : program(std::make_shared<ProgramSettings>(earlier)),
          window(GuiServices{services.Platform(), shell, nullptr, nullptr, nullptr, program,
                             recordings, trace},
                 keys, values, help, data, "train_electric.dat", "e2e_line.dat") {
        window.wallClock = [this] { return wallMs; };
        built = window.Build({});
    }
    // Runs the window's clock on to `untilMs`, a tenth of a second at a time.
    void Pump(int64_t untilMs) {
        while (wallMs < untilMs) {
            wallMs += 100;
            window.Pump();
            QCoreApplication::processEvents();
        }
    }
    void Type(Qt::Key key, const QString& text, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
            QCoreApplication::sendEvent(&window.View(), &press);
        }
    }

    QApplication& app = test::GuiApp();
    VirtualMixer device;
    test::HeadlessServices<TimedMixer, FfmpegVideoReader> services{device};
    RecordingShellOpener shell;
    KeyRoute keys;
    ValueWindowWidget values{keys};
    HelpWindowWidget help{keys};
    std::shared_ptr<ProgramSettings> program;
    int64_t wallMs = 0;
    RunWindowWidget window;
    bool built = false;
};

TEST(Recording, ADesktopRunReplaysToTheSameTraceHeadlessAndInTheWindow) {
    const fs::path data = test::MadeDataFolder();
    const fs::path dir = data.parent_path();
    const fs::path recordings = dir / "runs";
    // An earlier run swapped the keypad: '2' now notches up. Replayed without
    // that setting the same keys would brake, and the traces would part.
    ProgramSettings earlier;
    earlier.KeypadSwap = true;
    earlier.ValueWindowShown = true;
    {
        Desk desk(data, recordings, dir / "desktop.csv", earlier);
        ASSERT_TRUE(desk.built) << (desk.services.messages.shown.empty()
                                        ? ""
                                        : desk.services.messages.shown[0]);
        desk.Pump(700);
        desk.window.MenuCommand("start1");
        // Out of EB once the doors have shut (40 s after the start), notch up,
        // a call on Return (a key and a typed "\r"), a notch back, then brake.
        desk.Pump(41'000);
        desk.Type(Qt::Key_Comma, ",", 7);
        desk.Type(Qt::Key_2, "2", 4);
        desk.Pump(55'300);
        desk.Type(Qt::Key_Return, "\r");
        desk.Type(Qt::Key_2, "8");
        desk.Pump(70'000);
        desk.Type(Qt::Key_Period, ".", 5);
        desk.Pump(90'000);
        desk.window.close();
    }
    const std::vector<fs::path> made = Recordings(recordings);
    ASSERT_EQ(made.size(), 1u);
    const std::string desktopTrace = test::ReadAll(dir / "desktop.csv");
    // 89.3 s of refreshes at 10 a second, each row well over 100 bytes.
    ASSERT_GT(desktopTrace.size(), 89'000u);

    const test::ProgramRun headless =
        test::RunKelvaron("--headless --data " + test::Quoted(data) +
                          " --train train_electric.dat --line e2e_line.dat --script " +
                          test::Quoted(made[0]) + " --trace " + test::Quoted(dir / "headless.csv"));
    ASSERT_EQ(headless.exitCode, 0) << headless.err;
    EXPECT_TRUE(test::ReadAll(dir / "headless.csv") == desktopTrace);

    // In the window, four times as fast, on a program whose settings differ
    // from the recording's; the replay is no new run to keep.
    {
        Desk desk(data, recordings, dir / "replay.csv");
        ASSERT_TRUE(desk.window.StartReplay(made[0], 4));
        desk.Pump(30'000);
    }
    EXPECT_EQ(Recordings(recordings).size(), 1u);
    EXPECT_TRUE(test::ReadAll(dir / "replay.csv") == desktopTrace);

    // A line file changed since: refused by both, naming the file.
    test::DataText(data / "e2e_line.dat").Set("[Speed_G]", "100").WriteTo(data / "e2e_line.dat");
    const test::ProgramRun refused = test::RunKelvaron(
        "--headless --data " + test::Quoted(data) +
        " --train train_electric.dat --line e2e_line.dat --script " + test::Quoted(made[0]));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("e2e_line.dat"), std::string::npos) << refused.err;
    Desk desk(data, recordings, dir / "refused.csv");
    EXPECT_FALSE(desk.window.StartReplay(made[0], 1));
    ASSERT_FALSE(desk.services.messages.shown.empty());
    EXPECT_NE(desk.services.messages.shown.back().find("e2e_line.dat"), std::string::npos);
}

}  // namespace
}  // namespace kelvaron
