#include <SDL.h>
#include <gtest/gtest.h>

#include <QtCore/QSettings>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <fstream>

#include "gui/controller_window.h"
#include "gui/help_window_widget.h"
#include "gui/run_window_widget.h"
#include "gui/value_window_widget.h"
#include "gui_test_app.h"
#include "input/usb_scan.h"
#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/recording_shell_opener.h"
#include "platform/headless/scripted_game_controllers.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_pad_profile_store.h"
#include "platform/qt/qt_picture_loader.h"
#include "platform/qt/qt_program_settings.h"
#include "platform/sdl/sdl_game_controllers.h"
#include "test_support.h"

namespace kelvaron {
namespace {

// A plain virtual joystick (SDL knows no mapping for it) with the inputs of
// a game pad: 6 axes, 15 buttons, on a USB id of its own as a real device has.
class VirtualPad {
  public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = kPadAxisCount;
        desc.nbuttons = 15;
        desc.name = "Virtual handle";
        desc.vendor_id = 0x1209;
        desc.product_id = 0x4b56;
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        if (index_ >= 0) device_ = SDL_JoystickOpen(index_);
    }
    ~VirtualPad() {
        if (device_ != nullptr) SDL_JoystickClose(device_);
        if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
    }
    bool Attached() const { return device_ != nullptr; }
    std::string Guid() const {
        char text[33] = {};
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(device_), text, sizeof text);
        return text;
    }
    void Axis(int axis, int16_t value) { SDL_JoystickSetVirtualAxis(device_, axis, value); }
    void Button(int button, bool down) {
        SDL_JoystickSetVirtualButton(device_, button, down ? SDL_PRESSED : SDL_RELEASED);
    }

  private:
    int index_ = -1;
    SDL_Joystick* device_ = nullptr;
};

// The user's mappings file names the virtual device a game pad: buttons 0..14
// in SDL's order, axes 0..3 the sticks, 4 and 5 the triggers (positive half).
std::filesystem::path WriteMappings(const std::filesystem::path& dir, const std::string& guid) {
    const std::filesystem::path file = dir / "gamecontrollerdb.txt";
    std::ofstream(file) << "# a user's own mappings\n"
                        << guid
                        << ",Kelvaron test pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,"
                           "leftstick:b7,rightstick:b8,leftshoulder:b9,rightshoulder:b10,"
                           "dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,leftx:a0,lefty:a1,"
                           "rightx:a2,righty:a3,lefttrigger:+a4,righttrigger:+a5,platform:Linux,\n";
    return file;
}

class GamePadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::MakeTempDir();
        // Settings go to the test's folder, as $XDG_CONFIG_HOME would send them.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir.string()));
        unmappedPads = std::make_unique<SdlGameControllers>(dir / "none.txt");
        ASSERT_TRUE(pad.Attached()) << SDL_GetError();
    }

    QApplication& app = test::GuiApp();
    std::filesystem::path dir;
    std::unique_ptr<SdlGameControllers> unmappedPads;  // initialises SDL for the pad
    VirtualPad pad;
};

TEST_F(GamePadTest, TheUsersMappingsFileMakesAJoystickAGamePad) {
    std::vector<PadDevice> before = unmappedPads->Poll();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_FALSE(before[0].mapped);
    EXPECT_EQ(before[0].rawAxes.size(), 6u);
    EXPECT_EQ(before[0].rawButtons.size(), 15u);

    SdlGameControllers pads(WriteMappings(dir, pad.Guid()));
    pad.Axis(5, 32767);
    pad.Button(11, true);  // dpup
    const std::vector<PadDevice> devices = pads.Poll();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(devices[0].mapped);
    EXPECT_EQ(devices[0].name, "Kelvaron test pad");
    EXPECT_EQ(devices[0].guid, pad.Guid());
    EXPECT_EQ(devices[0].axes[kPadRightTrigger], 32767);
    EXPECT_EQ(devices[0].axes[kPadLeftTrigger], 0);
    EXPECT_EQ(devices[0].buttons, 1u << kPadUp);
}

// The run window on the fixture train (4 notches, brake 8 with EB -8, horn on
// channel 19), driven by the virtual pad chosen in the Controller menu.
TEST_F(GamePadTest, ThePadChosenInTheControllerMenuDrivesTheRun) {
    SdlGameControllers pads(WriteMappings(dir, pad.Guid()));
    PadProfiles profiles;
    VirtualMixer mixer;
    FakeVideoReader video;
    video.frameCountWhenOpen = 6000;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    messages.echo = false;
    RecordingShellOpener shell;
    KeyRoute keys;
    ValueWindowWidget values{keys};
    HelpWindowWidget help{keys};
    RunWindowWidget window(GuiServices{PlatformServices{mixer, video, pictures, joystick, serial,
                                                        settings, messages, &pads, &profiles},
                                       shell},
                           keys, values, help, test::FixtureDir() / "fixtures",
                           "train_electric.dat", "line_basic.dat");
    int64_t wallMs = 0;
    window.wallClock = [&] { return wallMs; };
    ASSERT_TRUE(window.Build({}));
    const auto refresh = [&] {
        wallMs += 100;
        window.Pump();
    };
    const auto hornPlays = [&] {
        int n = 0;
        for (const MixerCommand& c : mixer.Records()) n += c.op == MixerOp::Play && c.channel == 19;
        return n;
    };

    window.MenuCommand("COM41");
    EXPECT_EQ(window.Run().State().ControllerKind, kControllerGamePad);
    window.MenuCommand("start1");
    // Right trigger full: the last notch. Left trigger at 16000 of 32767:
    // (16000 - 1638) / 31129 x 8 = 3.7, brake step 4.
    pad.Axis(5, 32767);
    pad.Axis(4, 16000);
    pad.Button(0, true);  // a: the horn
    refresh();
    EXPECT_EQ(window.Run().State().PowerNotch, 4);
    EXPECT_EQ(window.Run().State().BrakeNotch, -4);
    EXPECT_EQ(hornPlays(), 1);

    // Held, the button gives its key once; pressed again, once more.
    pad.Axis(4, 0);
    refresh();
    EXPECT_EQ(window.Run().State().BrakeNotch, 0);
    EXPECT_EQ(hornPlays(), 1);
    pad.Button(0, false);
    refresh();
    pad.Button(0, true);
    refresh();
    EXPECT_EQ(hornPlays(), 2);
}

TEST_F(GamePadTest, TheControllerWindowCalibratesAndSavesPerDevice) {
    ScriptedGameControllers pads;
    PadDevice& device = pads.devices.emplace_back();
    device.guid = "03000000aaaa0000bbbb000000000000";
    device.name = "Handle";
    device.mapped = true;
    device.rawAxes = {0, 0, 0, 0, 0, 0};
    device.rawButtons.assign(15, false);
    PadProfiles profiles;
    QtPadProfileStore store;
    ControllerWindow window(pads, profiles, store, dir / "gamecontrollerdb.txt");
    window.SetNotches(4, 8);
    window.Refresh();
    ASSERT_EQ(window.DeviceGuid(), device.guid);
    auto* axes = window.findChild<QTableWidget*>();
    ASSERT_NE(axes, nullptr);

    // The left stick as one handle: neutral where it rests now (-300), its
    // ends recorded where the player moves it.
    window.findChild<QComboBox*>("role/lefty")->setCurrentIndex(3);  // onehandle
    device.axes[kPadLeftY] = -300;
    window.Refresh();
    window.findChild<QPushButton*>("rest/lefty")->click();
    device.axes[kPadLeftY] = -30000;
    window.Refresh();
    window.findChild<QPushButton*>("full/lefty")->click();
    device.axes[kPadLeftY] = 31000;
    window.Refresh();
    window.findChild<QPushButton*>("opposite/lefty")->click();
    const AxisBinding lefty = window.Editing().axes[kPadLeftY];
    EXPECT_EQ(lefty, (AxisBinding{AxisRole::OneHandle, -300, -30000, 31000, 1638}));
    // At the EB end the row says so.
    EXPECT_EQ(axes->item(kPadLeftY, 7)->text(), "EB");
    device.axes[kPadLeftY] = -30000;
    window.Refresh();
    EXPECT_EQ(axes->item(kPadLeftY, 7)->text(), "P4");

    auto* keyOfB = window.findChild<QComboBox*>("key/b");
    keyOfB->setCurrentIndex(keyOfB->findData("char z"));
    device.buttons = 1u << kPadB;
    window.Refresh();

    // Saved for this device, read back by a new store as the next start would.
    window.findChild<QPushButton*>("save")->click();
    EXPECT_TRUE(std::filesystem::exists(dir / "Kelvaron" / "kelvaron.conf"));
    const PadProfiles read = QtPadProfileStore().Load();
    ASSERT_TRUE(read.Has(device.guid));
    EXPECT_EQ(read.For(device.guid), window.Editing());
    EXPECT_EQ(read.For(device.guid).buttons[kPadB], ParseCode("char z"));
    EXPECT_FALSE(read.Has("another"));
}

}  // namespace
}  // namespace kelvaron
