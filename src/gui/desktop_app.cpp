#include "gui/desktop_app.h"

#include <QtCore/QSettings>
#include <QtCore/QStandardPaths>
#include <QtWidgets/QApplication>
#include <iostream>
#include <memory>

#include "gui/controller_window.h"
#include "gui/help_window_widget.h"
#include "gui/run_window_widget.h"
#include "gui/script_player.h"
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
#include "platform/timed_mixer.h"
#include "shell/data_folder.h"
#include "shell/line_folders.h"
#include "shell/run_recording.h"
#include "shell/run_script.h"
#include "shell/run_selection.h"

namespace kelvaron {

int RunDesktop(int argc, char** argv, const DesktopOptions& options) {
    RunScript script;
    if (options.script) {
        script = ReadRunScript(*options.script);
        if (!script.ok()) {
            std::cerr << "kelvaron: " << script.error << '\n';
            return 1;
        }
    }
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
        options.dataDir ? *options.dataDir
                        : DefaultLineFolder(RecentFolders(ReadRecentFolders()), dataFolders);
    if (HoldsLine(dataDir)) RememberFolder(dataDir);
    // A wrong folder named by the player is told once, before a title screen
    // that could start no run; without one the title screen offers to open one.
    if (const std::string fault = options.dataDir ? CheckDataFolder(dataDir) : std::string();
        !fault.empty()) {
        QtMessageBox().Show(fault);
        return 1;
    }

    OpenAlMixer device;
    TimedMixer mixer(device);
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
    QSettings desktopSettings("Kelvaron", "desktop");
    GuiServices services{PlatformServices{mixer, video, pictures, joystick, serial, settings,
                                          messages, &pads, &padProfiles},
                         shell,
                         &serial.settings,
                         &controllerWindow,
                         &desktopSettings,
                         std::make_shared<ProgramSettings>(),
                         RecordingsFolder(),
                         options.trace};

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

    std::unique_ptr<ScriptPlayer> player;
    RunWindowWidget::PresenterStats stats;
    if (options.run) {
        const auto choice = ChooseRun(*options.run);
        if (!choice) {
            std::cerr << "kelvaron: no run named " << *options.run << '\n';
            return 1;
        }
        title.ChooseRun(*choice);
        if (RunWindowWidget* run = title.CurrentRun()) {
            // The figures are taken before the window goes; a scripted run
            // ends the program with it.
            run->onClosed = [run, &stats, scripted = options.script.has_value(),
                             back = run->onClosed](bool soundDeviceLost) {
                stats = run->Stats();
                back(soundDeviceLost);
                if (scripted) QCoreApplication::quit();
            };
            run->timeScale = options.timeScale;
            if (options.script) player = std::make_unique<ScriptPlayer>(*run, script.events);
        }
    }
    const int code = app.exec();
    if (options.stats) {
        std::cerr << "frames shown " << stats.shown << ", later than 33 ms after due " << stats.late
                  << ", latest " << stats.worstMs << " ms; first cab picture "
                  << stats.firstPictureMs << " ms after the run was chosen\n";
    }
    return code;
}

}  // namespace kelvaron
