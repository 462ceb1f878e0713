#include "gui/studio/studio_app.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <iostream>

#include "gui/help_window_widget.h"
#include "gui/studio/studio_session.h"
#include "gui/studio/studio_window.h"
#include "gui/value_window_widget.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/openal/openal_mixer.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_picture_loader.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell_opener.h"
#include "platform/sdl/sdl_joystick.h"

namespace kelvaron {

int RunStudio(int argc, char** argv, const std::filesystem::path& dataDir,
              const std::optional<std::string>& lineFile,
              const std::optional<std::filesystem::path>& video) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvaron");

    std::string name = lineFile.value_or("");
    if (video && name.empty()) name = "line_" + video->stem().string() + ".dat";
    if (name.empty()) {
        const QString chosen = QFileDialog::getOpenFileName(
            nullptr, "Line file", QString::fromStdString(dataDir.string()), "Line files (*.dat)");
        if (chosen.isEmpty()) return 0;
        name = std::filesystem::path(chosen.toStdString()).filename().string();
    }

    QtPictureLoader pictures;
    OpenAlMixer mixer;
    FfmpegVideoReader runVideo;
    SdlJoystick joystick;
    QtSerialPort serial;
    QtSettingsStore settings;
    QtMessageBox messages;
    QtShellOpener shell;
    GuiServices services{
        PlatformServices{mixer, runVideo, pictures, joystick, serial, settings, messages}, shell,
        &serial.settings};
    KeyRoute keys;
    HelpWindowWidget help(keys);
    ValueWindowWidget values(keys);

    StudioSession session(services, keys, values, help, dataDir);
    std::string error;
    if (!session.Open(name, video, error)) {
        std::cerr << "kelvaron studio: " << error << '\n';
        return 1;
    }
    messages.parent = session.Window();
    session.Window()->show();
    return app.exec();
}

}  // namespace kelvaron
