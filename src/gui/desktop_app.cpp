#include "gui/desktop_app.h"

#include <QtCore/QStandardPaths>
#include <QtWidgets/QApplication>

#include "gui/controller_window.h"
#include "gui/help_window_widget.h"
#include "gui/title_screen.h"
#include "gui/value_window_widget.h"
#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/openal/openal_mixer.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_pad_profile_store.h"
#include "platform/qt/qt_picture_loader.h"
#include "platform/qt/qt_program_settings.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_shell_opener.h"
#include "platform/sdl/sdl_game_controllers.h"
#include "platform/sdl/sdl_joystick.h"
#include "shell/line_folders.h"

namespace kelvaron {

int RunDesktop(int argc, char** argv, std::optional<std::filesystem::path> chosenDir) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvaron");
    // Ties the windows to the menu entry (its icon, on Wayland too).
    QGuiApplication::setDesktopFileName("org.kelvaron.Kelvaron");

    std::vector<std::filesystem::path> dataFolders;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        dataFolders.push_back(folder.toStdString());
    }
    const std::filesystem::path dataDir =
        chosenDir ? *chosenDir : DefaultLineFolder(RecentFolders(ReadRecentFolders()), dataFolders);
    if (HoldsLine(dataDir)) RememberFolder(dataDir);

    OpenAlMixer mixer;
    FfmpegVideoReader video;
    FfmpegVideoReader movie;
    QtPictureLoader pictures;
    SdlJoystick joystick;
    QtSerialPort serial;
    QtSettingsStore settings;
    QtMessageBox messages;
    QtShellOpener shell;
    const std::filesystem::path mappings = SettingsFolder() / "gamecontrollerdb.txt";
    SdlGameControllers pads(mappings);
    QtPadProfileStore padStore;
    PadProfiles padProfiles = padStore.Load();
    ControllerWindow controllerWindow(pads, padProfiles, padStore, mappings);
    GuiServices services{PlatformServices{mixer, video, pictures, joystick, serial, settings,
                                          messages, &pads, &padProfiles},
                         shell, &serial.settings, &controllerWindow};

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

    help.LoadText(dataDir, messages);

    return app.exec();
}

}  // namespace kelvaron
