#include "gui/run_window_widget.h"

#include <gtest/gtest.h>

#include <QtGui/QAction>
#include <QtGui/QKeyEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPlainTextEdit>

#include "platform/qt/qt_serial_port.h"
#include "pseudo_terminal.h"
#include "run_window_fixture.h"

namespace kelvaron {
namespace {

using RunWindowWidgetTest = RunWindowFixture;

QRgb Rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

// The first pixel of a picture that is not its transparent colour.
std::pair<int, int> LitPixel(const Picture& picture) {
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.At(x, y) != picture.TransparentColour()) return {x, y};
    return {-1, -1};
}

TEST_F(RunWindowWidgetTest, DrawsTheCabViewAndThePanelAsTheModelSays) {
    window->MenuCommand("menu_d2");  // redraw: frame 30, the start position
    const QImage shot = window->View().grab().toImage();
    ASSERT_EQ(shot.size(), QSize(640, 440));
    EXPECT_EQ(Rgb(shot, 100, 100), 30u);  // frame 30 is the colour 0x00001E

    // Lamp_Air is opaque and shown: its lit pixel is where the panel puts it.
    const PanelControl* air = window->Run().Panel().Find("Lamp_Air");
    ASSERT_TRUE(air && air->visible && air->picture);
    const auto [ax, ay] = LitPixel(*air->picture);
    EXPECT_EQ(Rgb(shot, air->left + ax, air->top + ay), air->picture->At(ax, ay) & 0xFFFFFF);
    // Lamp_Atsp1 is hidden at the start: none of its colour shows.
    const PanelControl* atsp = window->Run().Panel().Find("Lamp_Atsp1");
    ASSERT_TRUE(atsp && !atsp->visible && atsp->picture);
    const auto [px, py] = LitPixel(*atsp->picture);
    EXPECT_NE(Rgb(shot, atsp->left + px, atsp->top + py), atsp->picture->At(px, py) & 0xFFFFFF);
}

TEST_F(RunWindowWidgetTest, TypedKeysReachTheRunOnlyOnceItIsStarted) {
    RunState& s = window->Run().State();
    Key(window->View(), Qt::Key_Z, "z");
    EXPECT_EQ(s.PowerNotch, 0);  // locked until Start
    window->MenuCommand("start1");
    Key(window->View(), Qt::Key_Z, "z");
    EXPECT_EQ(s.PowerNotch, 1);
    // Upper case does nothing; the help window's text box forwards like the cab.
    Key(window->View(), Qt::Key_Z, "Z", Qt::ShiftModifier);
    EXPECT_EQ(s.PowerNotch, 1);
    Key(help.TextBox(), Qt::Key_Z, "z");
    EXPECT_EQ(s.PowerNotch, 2);
    EXPECT_TRUE(help.TextBox().toPlainText().isEmpty());
}

TEST_F(RunWindowWidgetTest, TheWheelMovesTheHandleOneStepANotchEvenBeforeStart) {
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&window->View(), &event);
    };
    RunState& s = window->Run().State();
    ASSERT_EQ(s.BrakeNotch, -8);  // EB at the start
    wheel(-240);                  // one notch toward the player: one step off EB
    EXPECT_EQ(s.BrakeNotch, -7);
    wheel(120);  // away from the player: back to EB
    EXPECT_EQ(s.BrakeNotch, -8);
}

TEST_F(RunWindowWidgetTest, F5ShowsTheValueWindowAndItsCloseBoxHidesIt) {
    Key(window->View(), Qt::Key_F5, "");
    EXPECT_TRUE(window->Run().State().ValueWindowShown);
    EXPECT_TRUE(values.isVisible());
    values.close();
    EXPECT_FALSE(window->Run().State().ValueWindowShown);
    // F5 in the value window itself shows it again through the run window.
    Key(values, Qt::Key_F5, "");
    EXPECT_TRUE(values.isVisible());
    EXPECT_EQ(values.windowTitle(), "Value Display");
}

TEST_F(RunWindowWidgetTest, SerialCodesShowInTheValueWindowAtOnceBeforeStartAndWhilePaused) {
    Key(window->View(), Qt::Key_F5, "");
    serial.Receive("TSA55");  // no refresh has run yet
    EXPECT_EQ(values.windowTitle(), "TSA55");
    EXPECT_EQ(window->Run().State().PowerNotch, 2);
    window->MenuCommand("start1");
    window->MenuCommand("start1");  // paused
    serial.Receive("TSG99\r\n?");
    EXPECT_EQ(values.windowTitle(), "TSG99?");
}

TEST_F(RunWindowWidgetTest, TheWallClockDrivesTicksAndRefreshes) {
    RunState& s = window->Run().State();
    const int32_t clock = s.ClockTicks;
    window->Pump();
    EXPECT_EQ(s.ClockTicks, clock);  // nothing runs before Start
    window->MenuCommand("start1");
    wallMs = 1000;
    window->Pump();
    // One clock unit per 33 ms tick: 30 ticks in the first second.
    EXPECT_EQ(s.ClockTicks, clock + 30);
    // A refresh has replaced the first caption with the line's name.
    EXPECT_EQ(window->windowTitle().toStdString(), window->Run().Line().LineName);
    window->MenuCommand("start1");  // pause
    wallMs = 3000;
    window->Pump();
    EXPECT_EQ(s.ClockTicks, clock + 30);
}

TEST_F(RunWindowWidgetTest, TheAutomaticDriverTakesTheTrainFromTheControllerMenu) {
    MenuBarView& menus = window->Menus();
    menus.Action("start1")->trigger();
    ASSERT_TRUE(menus.Action("auto1"));
    menus.Action("auto1")->trigger();
    EXPECT_TRUE(menus.Action("auto1")->isChecked());
    // The doors close at 10:00:40, 40 s in; by 70 s the driver is away,
    // the keys it typed having gone where the player's go.
    const RunState& s = window->Run().State();
    for (wallMs = 100; wallMs <= 70'000; wallMs += 100) window->Pump();
    EXPECT_GT(s.Frame, window->Run().Line().Station[0].ZoneEnd);
    EXPECT_FALSE(s.ForcedEB);
    menus.Action("auto1")->trigger();
    EXPECT_FALSE(menus.Action("auto1")->isChecked());
    EXPECT_EQ(window->Run().Autopilot(), nullptr);
}

TEST_F(RunWindowWidgetTest, TheMenuBarShowsTheModelAndFollowsItsChanges) {
    MenuBarView& menus = window->Menus();
    // Captions from the labels file replace the designed ones.
    ASSERT_TRUE(menus.Action("start1"));
    EXPECT_EQ(menus.Action("start1")->text(), "運転開始(&S)");
    EXPECT_EQ(menus.Action("GoTo1")->text(), "駅へ移動(&M)");
    EXPECT_EQ(menus.Action("menu_d1")->text(), "操作説明(&H)");
    EXPECT_FALSE(menus.Action("D1")->isEnabled());
    ASSERT_TRUE(menus.Action("Sta0"));
    EXPECT_EQ(menus.Action("Sta0")->text().toStdString(), window->Run().Line().Station[0].Name);

    menus.Action("start1")->trigger();
    EXPECT_EQ(menus.Action("start1")->text(), "一時停止(&S)");
    menus.Action("COM21")->trigger();
    EXPECT_TRUE(menus.Action("COM21")->isChecked());
    EXPECT_FALSE(menus.Action("COM11")->isChecked());
    EXPECT_EQ(window->Run().State().ControllerKind, 1);
    // Chosen again, it stays checked, though the click turned its mark over.
    menus.Action("COM21")->trigger();
    EXPECT_TRUE(menus.Action("COM21")->isChecked());
}

TEST_F(RunWindowWidgetTest, ClosingEndsTheRunAndStopsTheKeyRoute) {
    bool closed = false, lost = true;
    window->onClosed = [&](bool soundDeviceLost) {
        closed = true;
        lost = soundDeviceLost;
    };
    window->show();
    window->close();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(lost);
    EXPECT_FALSE(keys.target);
}

using Handles = std::pair<int32_t, int32_t>;  // power notch, brake notch

// The serial master controller through the real QSerialPort, on a
// pseudo-terminal standing in for its adapter: the run window connects from
// the Controller menu and drives the run from what the line delivers.
class SerialControllerTest : public RunWindowWidgetTest {
  protected:
    void SetUp() override {
        if (!line.ok())
            GTEST_SKIP() << "this machine has no pseudo-terminals to stand in for a port";
        port.settings.portName = line.SlavePath();
        RunWindowWidgetTest::SetUp();
        if (HasFatalFailure()) return;
        port.onReceived = [this, deliver = port.onReceived](int count) {
            received += count;
            deliver(count);
        };
        window->MenuCommand("TS2");
        ASSERT_TRUE(port.IsOpen());
        ASSERT_EQ(messages.shown, std::vector<std::string>{"Connect to controller."});
    }
    // The run lets go of the port before the port goes.
    void TearDown() override { window.reset(); }
    SerialPort& Port() override { return port; }
    SerialSettings* PortSettings() override { return &port.settings; }

    // Writes to the line and waits until the run has read it all.
    void Send(std::string_view bytes) {
        sent += static_cast<int>(bytes.size());
        ASSERT_TRUE(line.Write(bytes));
        ASSERT_TRUE(test::WaitFor([&] { return received == sent; }));
    }

    Handles Now() const {
        return {window->Run().State().PowerNotch, window->Run().State().BrakeNotch};
    }
    const std::string& Caption() { return window->Run().ValueWindow().caption; }

    test::PseudoTerminal line;
    QtSerialPort port;
    int sent = 0, received = 0;
};

TEST_F(SerialControllerTest, CodesActAlikeWhateverChunksTheLineDeliversThemIn) {
    // From the fixture's code table: P2, neutral, B3, emergency (B8), B1.
    const std::vector<std::string> codes{"TSA55", "TSA50", "TSG99", "TSB40", "TSE99"};
    const std::vector<Handles> expected{{2, 0}, {0, 0}, {0, -3}, {0, -8}, {0, -1}};
    Send("TSA55TSA50TSG99TSB40TSE99");
    EXPECT_EQ(Now(), expected.back());  // all of them, the last one last
    // Byte by byte, with CR LF after each, with noise before each.
    for (int way = 0; way < 3; ++way) {
        for (size_t i = 0; i < codes.size(); ++i) {
            if (way == 0)
                for (const char c : codes[i]) Send(std::string(1, c));
            if (way == 1) Send(codes[i] + "\r\n");
            if (way == 2) Send("\x7f?T" + codes[i]);
            EXPECT_EQ(Now(), expected[i]) << "way " << way;
            EXPECT_EQ(Caption(), codes[i]);
        }
    }

    // The rest of a code a tenth of a second late: neither part acts.
    Send("TSA");
    wallMs = 100;
    ASSERT_TRUE(test::WaitFor([&] { return Caption() == "TSA"; }));
    Send("55");
    EXPECT_EQ(Now(), expected.back());
}

TEST_F(SerialControllerTest, APortThatGoesAwayIsClosedWithOneMessageAndOneClickReconnects) {
    const std::string path = line.SlavePath();
    line.HangUp();
    ASSERT_TRUE(test::WaitFor([&] { return !port.IsOpen(); }));
    QElapsedTimer settle;
    settle.start();
    test::WaitFor([&] { return settle.elapsed() > 300; });
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].find(path), std::string::npos) << messages.shown[1];

    test::PseudoTerminal again;  // the adapter plugged in again
    port.settings.portName = again.SlavePath();
    window->MenuCommand("TS2");
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(messages.shown.back(), "Connect to controller.");
    ASSERT_TRUE(again.Write("TSA55"));
    EXPECT_TRUE(test::WaitFor([&] { return Now() == Handles(2, 0); }));
}

TEST(HelpTextTest, FirstLineIsTheCaptionTheRestTheText) {
    const auto dir = test::MakeTempDir();
    test::WriteCp932File(dir / "operation.dat", "操作説明\nz: 力行\n\na: 戻し\n");
    HelpText text;
    ASSERT_TRUE(ReadHelpText(dir, text, nullptr));
    EXPECT_EQ(text.caption, "操作説明");
    EXPECT_EQ(text.lines, (std::vector<std::string>{"z: 力行", "", "a: 戻し"}));

    const auto other = test::MakeTempDir();
    test::WriteFile(other / "operation.dat", "Only\n");
    HelpText one;
    ASSERT_TRUE(ReadHelpText(other, one, nullptr));
    EXPECT_EQ(one.caption, "Only");
    EXPECT_TRUE(one.lines.empty());

    // A missing file is named with the reason, never a bare system message.
    std::string error;
    HelpText missing;
    EXPECT_FALSE(ReadHelpText(test::MakeTempDir(), missing, &error));
    EXPECT_EQ(error, "operation.dat: No such file or directory");
}

// The instructions line up in columns only if a full-width character takes
// exactly two half-width places ("ブレーキ" as wide as eight digits).
TEST(HelpWindowTest, FullWidthCharactersTakeTwoColumns) {
    test::GuiApp();
    KeyRoute keys;
    HelpWindowWidget window(keys);
    const QFontMetricsF metrics(window.TextBox().font());
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance("ブレーキ"), metrics.horizontalAdvance("12345678"));
}

}  // namespace
}  // namespace kelvaron
