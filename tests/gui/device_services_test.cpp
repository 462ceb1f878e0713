#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "gui_test_app.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/sdl/sdl_joystick.h"
#include "pseudo_terminal.h"
#include "shell/run_window.h"
#include "test_support.h"

namespace kelvaron {
namespace {

TEST(SdlJoystickTest, ReadsTheFirstDeviceAndZeroWithoutOne) {
    SdlJoystick joystick;
    JoystickState none = joystick.Poll();
    EXPECT_EQ(none.x, 0);
    EXPECT_EQ(none.y, 0);
    EXPECT_EQ(none.buttons, 0);

    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 18, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* device = SDL_JoystickOpen(index);
    ASSERT_NE(device, nullptr);
    SDL_JoystickSetVirtualAxis(device, 0, -32768);
    SDL_JoystickSetVirtualAxis(device, 1, 7000);
    SDL_JoystickSetVirtualButton(device, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(device, 15, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(device, 16, SDL_PRESSED);  // beyond the 16 read
    const JoystickState held = joystick.Poll();
    EXPECT_EQ(held.x, -32768);  // raw: the dead zone is the reader's business
    EXPECT_EQ(held.y, 7000);
    EXPECT_EQ(held.buttons, 0x8001);

    SDL_JoystickClose(device);
    SDL_JoystickDetachVirtual(index);
    const JoystickState gone = joystick.Poll();
    EXPECT_EQ(gone.x, 0);
    EXPECT_EQ(gone.buttons, 0);
}

TEST(QtSerialPortTest, DeliversReceivedChunksAndReportsOpenAndClose) {
    test::GuiApp();
    test::PseudoTerminal line;
    if (!line.ok()) GTEST_SKIP() << "this machine has no pseudo-terminals to stand in for a port";

    QtSerialPort port;
    EXPECT_EQ(port.settings.portName, "/dev/ttyS0");
    EXPECT_EQ(port.settings.baudRate, 19200);
    port.settings.portName = line.SlavePath();
    int opened = 0, closed = 0, received = 0;
    port.onOpened = [&] { ++opened; };
    port.onClosed = [&] { ++closed; };
    port.onReceived = [&](int count) { received += count; };

    std::string error;
    ASSERT_TRUE(port.Open(&error)) << error;
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(opened, 1);
    ASSERT_TRUE(line.Write("P1ABC"));
    ASSERT_TRUE(test::WaitFor([&] { return received >= 5; }));
    EXPECT_EQ(port.Read(3), "P1A");
    EXPECT_EQ(port.Read(10), "BC");

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(closed, 1);
    port.Close();  // closing a closed port reports nothing
    EXPECT_EQ(closed, 1);
    line.HangUp();

    port.settings.portName = "/dev/kelvaron-no-such-port";
    EXPECT_FALSE(port.Open(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(opened, 1);
}

TEST(QtSettingsStoreTest, ReadsIntegersOfTheUsersControllerSettings) {
    // The store's folder is fixed when settings are first used in the process.
    const auto home = test::MakeTempDir();
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    test::WriteFile(home / "Kelvaron" / "dgcontroller.conf", "[General]\nP0=12\nB3=-40\nEB=abc\n");
    test::GuiApp();
    QtSettingsStore store;
    ASSERT_TRUE(store.OpenKey());
    EXPECT_EQ(store.ReadInt("P0"), 12);
    EXPECT_EQ(store.ReadInt("B3"), -40);
    EXPECT_EQ(store.ReadInt("EB"), std::nullopt);  // not a number
    EXPECT_EQ(store.ReadInt("P5"), std::nullopt);  // missing

    // A run's start-up writes every value the file lacks, so that the player
    // finds them all to edit: P1 is missing, so the reading stopped after P0
    // and the codes in use from P1 on are 0 (a program's first run). The
    // player's B3 and EB stay as they were.
    StderrMessageBox messages;
    messages.echo = false;
    VirtualMixer mixer;
    FakeVideoReader video;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    RunWindow run(PlatformServices{mixer, video, pictures, joystick, serial, store, messages},
                  test::FixtureDir() / "fixtures", "train_electric.dat", "line_basic.dat");
    ASSERT_TRUE(run.FormCreate());
    const std::string written = test::ReadAll(home / "Kelvaron" / "dgcontroller.conf");
    for (const char* line :
         {"P0=12\n", "P1=0\n", "P5=0\n", "B0=0\n", "B3=-40\n", "B8=0\n", "EB=abc\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
    }
}

}  // namespace
}  // namespace kelvaron
