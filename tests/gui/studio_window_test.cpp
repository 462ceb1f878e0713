#include "gui/studio/studio_window.h"

#include <gtest/gtest.h>

#include <QtGui/QAction>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QTableWidget>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "gui/studio/line_values_dialog.h"
#include "gui/studio/profile_chart.h"
#include "gui/studio/record_form.h"
#include "gui/studio/studio_session.h"
#include "gui_test_app.h"
#include "platform/ffmpeg/video_writer.h"
#include "platform/qt/qt_picture_loader.h"
#include "run_window_fixture.h"
#include "test_support.h"

namespace kelvaron {
namespace {

namespace fs = std::filesystem;

// The fixture line with its pictures, and a video of `frames` frames where its labels file
// looks for it.
fs::path DataFolder(int32_t frames = 600) {
    const fs::path dir = test::MakeTempDir();
    fs::copy(test::FixtureDir() / "fixtures", dir, fs::copy_options::recursive);
    fs::create_directories(dir / "movie");
    VideoSettings settings{.width = 96, .height = 48, .fps = 30, .codec = "mjpeg"};
    EXPECT_TRUE(WriteTestVideo(dir / "movie" / "line_basic.avi", settings, frames,
                               [](int32_t frame, Picture& picture) {
                                   for (auto& pixel : picture.pixels) pixel = 0xFF000000u | frame;
                               }));
    return dir;
}

// The studio on the fixture line, its messages collected instead of shown.
struct OpenedStudio {
    OpenedStudio() {
        test::GuiApp();
        std::string error;
        auto line = StudioLine::Open(dir, "line_basic.dat", pictures, error);
        EXPECT_TRUE(line) << error;
        if (!line) return;
        window = std::make_unique<StudioWindow>(std::move(*line), fs::path());
        window->onMessage = [this](const std::string& text) { messages.push_back(text); };
    }
    const fs::path dir = DataFolder();
    const std::string original = test::ReadAll(dir / "line_basic.dat");
    QtPictureLoader pictures;
    std::unique_ptr<StudioWindow> window;
    std::vector<std::string> messages;
};

TEST(StudioWindow, StationPlacedAtAFrameIsShownSavedAndAccepted) {
    OpenedStudio studio;
    ASSERT_NE(studio.window, nullptr);
    StudioWindow& window = *studio.window;
    const fs::path& dir = studio.dir;
    const std::string& original = studio.original;
    std::vector<std::string>& messages = studio.messages;
    EXPECT_EQ(window.CheckLabel().text(), "check: no faults");

    window.ShowFrame(300);
    ASSERT_EQ(window.CurrentFrame(), 300);
    window.Form().SetKind(RecordKind::Station);
    ASSERT_TRUE(window.AddAtCurrentFrame()) << (messages.empty() ? "" : messages.back());

    // The new station's zone is 240..360, its stop frame 300, inside the unit 0..600 going
    // from 5 to 45 km/h: 25 km/h there, a mean of 15 km/h for 10 s, 41.67 m.
    const QTableWidget& table = window.Table();
    int row = -1;
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.item(r, 0)->text() == "station" && table.item(r, 2)->text() == "300.0") row = r;
    }
    ASSERT_GE(row, 0);
    EXPECT_EQ(table.item(row, 3)->text(), "41.67");
    const auto& stops = window.Chart().Profile().stations;
    EXPECT_NE(std::find(stops.begin(), stops.end(), 41.67), stops.end());

    ASSERT_TRUE(window.Save());
    const std::string saved = test::ReadAll(dir / "line_basic.dat");
    // The one new line, in the file's own Shift-JIS and CR LF, among the untouched others.
    const std::string added = "station,0,240,360,0,1080000,1080300\r\n";
    ASSERT_EQ(saved.size(), original.size() + added.size());
    EXPECT_NE(saved.find("\r\n" + added), std::string::npos);

    const std::string check = std::string(KELVARON_BINARY) + " check --data " + dir.string() +
                              " --line line_basic.dat > /dev/null";
    EXPECT_EQ(std::system(check.c_str()), 0);

    // The test drive starts from the new station once the frame on screen is past it.
    window.ShowFrame(400);
    ASSERT_TRUE(window.TestDriveStation());
    EXPECT_EQ(window.Line().Definition().Station[*window.TestDriveStation()].ZoneStart, 240);
}

// The form of the one-value sections shows the file's values; a value the file cannot hold
// is named and nothing goes in; good values go in, each section one step of undo, and the
// saved file reads back with them.
TEST(StudioWindow, LineValuesAreShownCheckedAndSaved) {
    OpenedStudio studio;
    ASSERT_NE(studio.window, nullptr);
    StudioWindow& window = *studio.window;
    const std::vector<std::string>& messages = studio.messages;
    std::string error;

    LineValuesDialog form(window);
    ASSERT_NE(form.Edit("[StartTime]", 0), nullptr);
    EXPECT_EQ(form.Edit("[StartTime]", 0)->text(), "1080000");  // 10:00:00 in 1/30 s
    EXPECT_EQ(form.Edit("[Staf]", 1)->text(), "line_still.bmp");

    form.Edit("[LineName]", 0)->setText(QString::fromUtf8("試運転線"));
    form.Edit("[StartTime]", 0)->setText("10:02");
    EXPECT_FALSE(form.Apply());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("[StartTime] \"10:02\" is not a whole number"), std::string::npos);
    EXPECT_FALSE(window.Line().CanUndo());

    form.Edit("[StartTime]", 0)->setText("1083600");  // 10:02:00
    ASSERT_TRUE(form.Apply());
    EXPECT_EQ(window.Line().Definition().LineName, "試運転線");
    EXPECT_EQ(window.Line().Definition().StartTime, 1083600);
    ASSERT_TRUE(window.Line().Undo());
    EXPECT_EQ(window.Line().Definition().StartTime, 1080000);
    EXPECT_EQ(window.Line().Definition().LineName, "試運転線");
    ASSERT_TRUE(window.Line().Redo());

    ASSERT_TRUE(window.Save());
    auto saved = StudioLine::Open(studio.dir, "line_basic.dat", studio.pictures, error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->Definition().LineName, "試運転線");
    EXPECT_EQ(saved->Definition().StartTime, 1083600);
    EXPECT_EQ(saved->CheckMessage(), "");
}

// The studio and its test drives on the devices of the run window's tests, with their clock.
class StudioTestDrive : public RunWindowFixture {
  protected:
    void SetUp() override {}
};

// The frame on screen is past 桜町 (zone 2000..2060), which trains pass, so the drive starts at
// 中央駅 (zone 0..60); the automatic driver of the Controller menu takes the train through 桜町
// to 港北 (zone 4760..4800), the terminus, and stops it there.
TEST_F(StudioTestDrive, TheAutomaticDriverTakesTheTrainFromTheStationBeforeTheFrameToTheNextStop) {
    const fs::path dir = DataFolder(2400);
    StudioSession session(
        GuiServices{PlatformServices{mixer, fake, pictures, joystick, serial, settings, messages},
                    shell, nullptr, nullptr, &desktop},
        keys, values, help, dir);
    std::string error;
    ASSERT_TRUE(session.Open("line_basic.dat", std::nullopt, error)) << error;
    std::vector<std::string> offered;
    session.askForTrain = [&](const std::vector<std::string>& trains) {
        offered = trains;
        return std::optional<std::string>("train_electric.dat");
    };
    StudioWindow& studio = *session.Window();
    studio.show();
    studio.ShowFrame(2100);
    ASSERT_EQ(studio.CurrentFrame(), 2100);
    QAction* automatic = nullptr;
    for (QAction* action : studio.findChildren<QAction*>()) {
        if (action->text() == QString::fromUtf8("自動運転")) automatic = action;
    }
    ASSERT_NE(automatic, nullptr);
    automatic->trigger();
    EXPECT_EQ(offered, (std::vector<std::string>{"train_diesel.dat", "train_electric.dat"}));

    RunWindowWidget* run = session.TestRun();
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(studio.isVisible());
    EXPECT_TRUE(run->Menus().Action("auto1")->isChecked());
    const RunState& s = run->Run().State();
    const auto& stations = run->Run().Line().Station;
    ASSERT_EQ(stations.size(), 3u);
    EXPECT_LE(s.Frame, stations[0].ZoneEnd);

    AutoDriver* driver = run->Run().Autopilot();
    ASSERT_NE(driver, nullptr);
    run->wallClock = [this] { return wallMs; };
    for (wallMs = 100; wallMs <= 600'000 && !driver->Finished(); wallMs += 100) {
        run->Pump();
        ASSERT_FALSE(s.ForcedEB) << "at frame " << s.Frame;
    }
    EXPECT_TRUE(driver->Finished());
    EXPECT_EQ(s.Speed, 0);
    EXPECT_GE(s.Frame, stations[2].ZoneStart);
    EXPECT_LE(s.Frame, stations[2].ZoneEnd);

    // Closing the run window brings the studio back.
    run->close();
    EXPECT_TRUE(studio.isVisible());
}

}  // namespace
}  // namespace kelvaron
