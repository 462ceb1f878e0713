#pragma once

#include <gtest/gtest.h>

#include <QtCore/QSettings>
#include <QtGui/QKeyEvent>
#include <memory>

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

// The run window on the fixture train and line, as the title screen builds it,
// with a video of plain frames (frame n is the colour n), a wall clock the
// test moves by hand and a desktop settings file of its own.
class RunWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override { Open(); }

    void Open(const std::filesystem::path& dataDir = test::FixtureDir() / "fixtures",
              VideoReader* reader = nullptr) {
        fake.frameCountWhenOpen = 6000;
        messages.echo = false;
        window = std::make_unique<RunWindowWidget>(
            GuiServices{PlatformServices{mixer, reader ? *reader : fake, pictures, joystick, Port(),
                                         settings, messages},
                        shell, PortSettings(), nullptr, &desktop},
            keys, values, help, dataDir, "train_electric.dat", "line_basic.dat");
        window->wallClock = [this] { return wallMs; };
        ASSERT_TRUE(window->Build({})) << (messages.shown.empty() ? "" : messages.shown[0]);
    }

    // The serial port the run gets: a scripted one unless a test brings its own.
    virtual SerialPort& Port() { return serial; }
    virtual SerialSettings* PortSettings() { return nullptr; }

    void Key(QWidget& to, Qt::Key key, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(&to, &press);
    }

    QApplication& app = test::GuiApp();  // before the first widget
    VirtualMixer mixer;
    FakeVideoReader fake;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
    RecordingShellOpener shell;
    QSettings desktop{QString::fromStdString((test::MakeTempDir() / "desktop.ini").string()),
                      QSettings::IniFormat};
    KeyRoute keys;
    ValueWindowWidget values{keys};
    HelpWindowWidget help{keys};
    int64_t wallMs = 0;
    std::unique_ptr<RunWindowWidget> window;
};

}  // namespace kelvaron
