#include "gui/title_screen.h"

#include <gtest/gtest.h>

#include "gui/help_window_widget.h"
#include "gui/run_window_widget.h"
#include "gui/value_window_widget.h"
#include "gui_test_app.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/recording_shell_opener.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

// A data folder whose express run is the fixture train and line, with no
// opening movie and no title pictures.
class TitleScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::MakeTempDir();
        std::filesystem::copy(test::FixtureDir() / "fixtures", dir,
                              std::filesystem::copy_options::recursive);
        std::filesystem::rename(dir / "train_electric.dat", dir / "train_2000.dat");
        std::filesystem::rename(dir / "line_basic.dat", dir / "line_exp.dat");
        messages.echo = false;
        video.frameCountWhenOpen = 6000;
        title = std::make_unique<TitleScreen>(
            GuiServices{
                PlatformServices{mixer, video, pictures, joystick, serial, settings, messages},
                shell},
            movie, keys, values, help, dir);
        title->onFatal = [this](int code) { fatal = code; };
        title->Open();
        title->show();
    }

    QApplication& app = test::GuiApp();
    std::filesystem::path dir;
    VirtualMixer mixer;
    FakeVideoReader video, movie;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    RecordingShellOpener shell;
    KeyRoute keys;
    ValueWindowWidget values{keys};
    HelpWindowWidget help{keys};
    std::unique_ptr<TitleScreen> title;
    int fatal = 0;
};

TEST_F(TitleScreenTest, WithoutAMovieTheFirstTickShowsTheTitle) {
    // The missing title picture is reported, and the screen still opens.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("image\\title\\0"), std::string::npos);
    EXPECT_EQ(title->size(), QSize(320, 240));
    title->TimerTick();
    EXPECT_FALSE(title->Sequence().MovieShown());
    EXPECT_EQ(title->size(), QSize(640, 480));
}

TEST_F(TitleScreenTest, ARunHidesTheTitleUntilItsWindowCloses) {
    title->SkipMovie();
    title->ChooseRun(*ChooseRun("express"));
    ASSERT_NE(title->CurrentRun(), nullptr);
    EXPECT_EQ(fatal, 0);
    EXPECT_FALSE(title->isVisible());
    EXPECT_EQ(title->height(), 498);  // the status line below the picture
    EXPECT_TRUE(title->CurrentRun()->isVisible());
    EXPECT_EQ(title->CurrentRun()->Run().Train().Brake, 8);  // the fixture train was read

    title->CurrentRun()->close();
    EXPECT_EQ(title->CurrentRun(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(title->isVisible());
    EXPECT_EQ(title->size(), QSize(640, 480));
}

TEST_F(TitleScreenTest, AFailedStartUpEndsTheProgram) {
    std::filesystem::remove(dir / "line_exp.dat");
    title->ChooseRun(*ChooseRun("express"));
    EXPECT_EQ(fatal, 1);
    EXPECT_NE(messages.shown.back().find("路線ファイルに誤りがあります。"), std::string::npos);
}

TEST_F(TitleScreenTest, HelpOpensTheReadmeWithTheDesktop) {
    title->SkipMovie();
    for (int t = 0; t < 8; ++t) title->TimerTick();
    EXPECT_TRUE(title->Sequence().ButtonShown(TitleButton::Help));
    title->HelpClick();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].filename(), "readme.html");
}

}  // namespace
}  // namespace kelvaron
