#include "gui/title_screen.h"

#include <gtest/gtest.h>

#include <QtCore/QSettings>
#include <QtGui/QAction>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QPushButton>
#include <fstream>

#include "gui/help_window_widget.h"
#include "gui/movie_view.h"
#include "gui/run_window_widget.h"
#include "gui/studio/studio_session.h"
#include "gui/studio/studio_window.h"
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
#include "platform/qt/qt_program_settings.h"
#include "test_support.h"

namespace kelvaron {
namespace {

// A data folder whose express run is the fixture train and line, with no
// opening movie and no title pictures.
class TitleScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::MakeTempDir();
        // The recent folders go to the test's own settings, as under a fresh
        // $XDG_CONFIG_HOME.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(test::MakeTempDir().string()));
        std::filesystem::copy(test::FixtureDir() / "fixtures", dir,
                              std::filesystem::copy_options::recursive);
        std::filesystem::rename(dir / "train_electric.dat", dir / "train_2000.dat");
        std::filesystem::rename(dir / "line_basic.dat", dir / "line_exp.dat");
        messages.echo = false;
        video.frameCountWhenOpen = 6000;
        BeforeOpen();
        title = std::make_unique<TitleScreen>(
            GuiServices{
                PlatformServices{mixer, video, pictures, joystick, serial, settings, messages},
                shell},
            movie, keys, values, help, dir);
        title->onFatal = [this](int code) { fatal = code; };
        AfterCreate();
        title->Open();
        title->show();
    }
    virtual void BeforeOpen() {}
    virtual void AfterCreate() {}

    // Timer ticks until `button` shows, counting from the next one; 0 when it
    // has not shown after `limit`.
    int TicksUntilShown(TitleButton button, int limit = 20) {
        for (int t = 1; t <= limit; ++t) {
            title->TimerTick();
            if (title->Sequence().ButtonShown(button)) return t;
        }
        return 0;
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

TEST_F(TitleScreenTest, WhatThePlayerSetsLastsIntoTheNextRun) {
    const auto key = [](QWidget& to, Qt::Key k, const QString& text,
                        Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, k, modifiers, text);
        QCoreApplication::sendEvent(&to, &press);
    };
    // The joystick codes P0 3, P1 4 and P2 5 are in the store for the first run only.
    settings.values = {{"P0", 3}, {"P1", 4}, {"P2", 5}};
    title->SkipMovie();
    title->ChooseRun(*ChooseRun("express"));
    RunWindowWidget* first = title->CurrentRun();
    ASSERT_NE(first, nullptr);
    key(first->View(), Qt::Key_ScrollLock, "");
    key(first->View(), Qt::Key_F1, "", Qt::ShiftModifier);  // the automatic run switch
    key(first->View(), Qt::Key_F5, "");                     // the value window
    first->MenuCommand("COM31");                            // the PlayStation controller
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    settings.keyExists = false;
    title->ChooseRun(*ChooseRun("express"));
    RunWindowWidget* second = title->CurrentRun();
    ASSERT_NE(second, nullptr);
    int64_t wallMs = 0;
    second->wallClock = [&wallMs] { return wallMs; };
    second->MenuCommand("start1");
    key(second->View(), Qt::Key_5, "5");  // all released
    key(second->View(), Qt::Key_8, "8");  // swapped: one brake step
    const RunState& s = second->Run().State();
    EXPECT_EQ(s.PowerNotch, 0);
    EXPECT_EQ(s.BrakeNotch, -1);
    EXPECT_TRUE(s.AutoRun);
    EXPECT_TRUE(values.isVisible());
    EXPECT_TRUE(second->Menus().Action("COM31")->isChecked());
    // Buttons 0 and 2 read 1 + 4 = 5, the code of P2 read in the first run.
    joystick.state = JoystickState{0, 0, 0b101};
    wallMs = 100;
    second->Pump();
    EXPECT_EQ(s.PowerNotch, 2);
}

TEST_F(TitleScreenTest, AFailedStartUpEndsTheProgram) {
    std::filesystem::remove(dir / "line_exp.dat");
    title->ChooseRun(*ChooseRun("express"));
    EXPECT_EQ(fatal, 1);
    EXPECT_NE(messages.shown.back().find("路線ファイルに誤りがあります。"), std::string::npos);
}

TEST_F(TitleScreenTest, HelpOpensTheReadmeWithTheDesktop) {
    std::ofstream(dir / "readme.html") << "<html></html>";
    title->SkipMovie();
    for (int t = 0; t < 8; ++t) title->TimerTick();
    EXPECT_TRUE(title->Sequence().ButtonShown(TitleButton::Help));
    title->HelpClick();
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].filename(), "readme.html");
}

TEST_F(TitleScreenTest, WithoutABrowserHelpSaysWhereThePageIs) {
    std::ofstream(dir / "readme.html") << "<html></html>";
    shell.opens = false;
    messages.shown.clear();
    title->HelpClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find((dir / "readme.html").string()), std::string::npos);

    // A page that is not there is not handed to the desktop at all.
    std::filesystem::remove(dir / "readme.html");
    shell.opened.clear();
    title->HelpClick();
    EXPECT_TRUE(shell.opened.empty());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].find("readme.html"), std::string::npos);
}

TEST_F(TitleScreenTest, TheTimerSkipRevealsTheButtonsOnTheThirdTickCountingItself) {
    // No movie: the first tick skips it; that tick counts as the first 0.1 s,
    // so Express shows on tick 3 (0.3 s), Local 4, Help 7, Quit 8.
    EXPECT_EQ(TicksUntilShown(TitleButton::Express), 3);
    EXPECT_EQ(TicksUntilShown(TitleButton::Local), 1);
    EXPECT_EQ(TicksUntilShown(TitleButton::Help), 3);
    EXPECT_EQ(TicksUntilShown(TitleButton::Quit), 1);
}

TEST_F(TitleScreenTest, TheStudioButtonOpensALineOfTheFolderInTheStudio) {
    auto* button = [&]() -> QPushButton* {
        for (auto* b : title->findChildren<QPushButton*>()) {
            if (b->text() == QString::fromUtf8("路線スタジオ")) return b;
        }
        return nullptr;
    }();
    ASSERT_NE(button, nullptr);

    // Cancelled, nothing opens; a file that is not there is named and nothing opens.
    title->askForLineFile = [] { return std::optional<std::filesystem::path>(); };
    button->click();
    EXPECT_EQ(title->Studio(), nullptr);
    title->askForLineFile = [] { return std::optional<std::filesystem::path>("line_gone.dat"); };
    messages.shown.clear();
    button->click();
    EXPECT_EQ(title->Studio(), nullptr);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("line_gone.dat"), std::string::npos);

    // The folder's express line (the fixture line: three stations) opens in the studio.
    title->askForLineFile = [] { return std::optional<std::filesystem::path>("line_exp.dat"); };
    button->click();
    ASSERT_NE(title->Studio(), nullptr);
    StudioWindow* studio = title->Studio()->Window();
    ASSERT_NE(studio, nullptr);
    EXPECT_TRUE(studio->isVisible());
    EXPECT_EQ(studio->Line().DataDir(), dir);
    EXPECT_EQ(studio->Line().FileName(), "line_exp.dat");
    EXPECT_EQ(studio->Line().Definition().Station.size(), 3u);
    EXPECT_EQ(studio->Line().CheckMessage(), "");
}

TEST_F(TitleScreenTest, AnOpenedLineFolderGivesTheRunsAndComesFirstInTheRecentList) {
    // Another line folder whose express run is the diesel train (5 notches).
    const std::filesystem::path other = test::MakeTempDir();
    std::filesystem::copy(test::FixtureDir() / "fixtures", other,
                          std::filesystem::copy_options::recursive);
    std::filesystem::rename(other / "train_diesel.dat", other / "train_2000.dat");
    std::filesystem::rename(other / "line_basic.dat", other / "line_exp.dat");
    const std::filesystem::path empty = test::MakeTempDir();

    // A folder without a line is refused, naming it, and changes nothing.
    title->askForFolder = [&] { return std::optional(empty); };
    messages.shown.clear();
    title->ChooseFolder();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find(empty.string()), std::string::npos);
    EXPECT_EQ(title->DataDir(), dir);

    title->askForFolder = [&] { return std::optional(other); };
    title->ChooseFolder();
    EXPECT_EQ(title->DataDir(), other);
    const std::vector<std::string> recent = ReadRecentFolders();
    ASSERT_FALSE(recent.empty());
    EXPECT_EQ(recent[0], FolderKey(other));

    title->ChooseRun(*ChooseRun("express"));
    ASSERT_NE(title->CurrentRun(), nullptr);
    EXPECT_EQ(title->CurrentRun()->Run().Train().Power, 5);
    EXPECT_EQ(title->CurrentRun()->Run().Train().Engine_Type, 0);
}

// The opening movie: 10 pictures at 10 a second with a one-second sound
// track, on a clock the test moves.
class TitleMovieTest : public TitleScreenTest {
  protected:
    void BeforeOpen() override {
        std::filesystem::create_directories(dir / "move");
        std::ofstream(dir / "move" / "opening.avi") << "movie";
        movie.frameCountWhenOpen = 10;
        movie.framesPerSecond = 10;
        movie.soundTrack.rate = 8000;
        movie.soundTrack.samples.assign(8000, 0);
    }
    void AfterCreate() override {
        title->Movie().clock = [this] { return now; };
    }
    bool MovieSoundPlaying() const { return mixer.IsPlaying(MovieView::kSoundChannel); }
    int64_t now = 0;
};

TEST_F(TitleMovieTest, TheMoviePlaysAtItsOwnRateWithItsSoundAndItsEndActsAsAClick) {
    EXPECT_TRUE(title->Sequence().MovieShown());
    EXPECT_EQ(title->Movie().ShownFrame(), 0);
    EXPECT_TRUE(MovieSoundPlaying());
    // 0.55 s at 10 pictures a second: picture 5 (at 30 a second it would be 16).
    now = 550;
    title->Movie().Advance();
    EXPECT_EQ(title->Movie().ShownFrame(), 5);
    now = 990;
    title->Movie().Advance();
    EXPECT_TRUE(title->Sequence().MovieShown());

    // Picture 9 has had its 0.1 s: the title comes as after a click, long
    // before the 111 s fall-back.
    now = 1000;
    title->Movie().Advance();
    EXPECT_FALSE(title->Sequence().MovieShown());
    EXPECT_EQ(title->size(), QSize(640, 480));
    EXPECT_FALSE(MovieSoundPlaying());
    EXPECT_EQ(TicksUntilShown(TitleButton::Express), 3);
}

TEST_F(TitleMovieTest, AClickStopsTheSoundTrack) {
    title->SkipMovie();
    EXPECT_FALSE(MovieSoundPlaying());
    EXPECT_EQ(TicksUntilShown(TitleButton::Express), 3);
}

TEST_F(TitleMovieTest, A111SecondFallBackCountsLikeTheOtherSkips) {
    // The clock stands still, so the movie never ends by itself: tick 1111
    // (ticks 0..1110 counted before it) skips it.
    for (int t = 1; t <= 1110; ++t) title->TimerTick();
    EXPECT_TRUE(title->Sequence().MovieShown());
    title->TimerTick();
    EXPECT_FALSE(title->Sequence().MovieShown());
    EXPECT_EQ(TicksUntilShown(TitleButton::Express), 2);
}

}  // namespace
}  // namespace kelvaron
