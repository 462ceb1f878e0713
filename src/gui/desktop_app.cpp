#include "gui/desktop_app.h"

#include <QtWidgets/QApplication>

#include "common/data_path.h"
#include "gui/help_window_widget.h"
#include "gui/title_screen.h"
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

int RunDesktop(int argc, char** argv, const std::filesystem::path& dataDir) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvaron");

    OpenAlMixer mixer;
    FfmpegVideoReader video;
    FfmpegVideoReader movie;
    QtPictureLoader pictures;
    SdlJoystick joystick;
    QtSerialPort serial;
    QtSettingsStore settings;
    QtMessageBox messages;
    QtShellOpener shell;
    GuiServices services{
        PlatformServices{mixer, video, pictures, joystick, serial, settings, messages}, shell,
        &serial.settings};

    // The help and value windows are made first because the title screen hands
    // them to each run; the title screen still starts (movie, picture) before
    // the help text is read, as the program always did.
    KeyRoute keys;
    HelpWindowWidget help(keys);
    ValueWindowWidget values(keys);
    TitleScreen title(services, movie, keys, values, help, dataDir);
    messages.parent = &title;
    title.onFatal = [](int code) { QCoreApplication::exit(code); };
    title.Open();
    title.show();

    HelpText text;
    std::string error;
    if (ReadHelpText(ResolveDataPath(dataDir, "operation.dat"), text, &error)) {
        help.ShowText(text);
    } else {
        messages.Show(error);
    }

    return app.exec();
}

}  // namespace kelvaron
