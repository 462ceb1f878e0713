#include "gui/studio/studio_app.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QStatusBar>
#include <algorithm>
#include <iostream>
#include <memory>

#include "gui/help_window_widget.h"
#include "gui/run_window_widget.h"
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
#include "studio/cached_picture_loader.h"

namespace kelvaron {

namespace {

// Train files of the data folder a test drive can use.
std::vector<std::string> TrainFiles(const std::filesystem::path& dataDir) {
    std::vector<std::string> trains;
    std::error_code e;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir, e)) {
        const std::string name = entry.path().filename().string();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (entry.is_regular_file(e) && lower.starts_with("train") && lower.ends_with(".dat")) {
            trains.push_back(name);
        }
    }
    std::sort(trains.begin(), trains.end());
    return trains;
}

}  // namespace

int RunStudio(int argc, char** argv, const std::filesystem::path& dataDir,
              const std::optional<std::string>& lineFile,
              const std::optional<std::filesystem::path>& video) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvaron");

    QtPictureLoader diskPictures;
    CachedPictureLoader pictures(diskPictures);
    std::optional<StudioLine> line;
    std::string error;
    std::filesystem::path shown;
    std::string name = lineFile.value_or("");
    if (video) {
        shown = std::filesystem::absolute(*video);
        if (name.empty()) name = "line_" + video->stem().string() + ".dat";
    }
    if (name.empty()) {
        const QString chosen = QFileDialog::getOpenFileName(
            nullptr, "Line file", QString::fromStdString(dataDir.string()), "Line files (*.dat)");
        if (chosen.isEmpty()) return 0;
        name = std::filesystem::path(chosen.toStdString()).filename().string();
    }
    if (std::filesystem::exists(dataDir / name)) {
        line = StudioLine::Open(dataDir, name, pictures, error);
    } else if (video) {
        line = StudioLine::Create(dataDir, name, video->stem().string(), pictures);
    } else {
        error = (dataDir / name).string() + ": no such line file";
    }
    if (!line) {
        std::cerr << "kelvaron studio: " << error << '\n';
        return 1;
    }

    OpenAlMixer mixer;
    FfmpegVideoReader runVideo;
    SdlJoystick joystick;
    QtSerialPort serial;
    QtSettingsStore settings;
    QtMessageBox messages;
    QtShellOpener shell;
    GuiServices services{
        PlatformServices{mixer, runVideo, diskPictures, joystick, serial, settings, messages},
        shell, &serial.settings};
    KeyRoute keys;
    HelpWindowWidget help(keys);
    ValueWindowWidget values(keys);

    StudioWindow window(std::move(*line), shown);
    messages.parent = &window;
    std::unique_ptr<RunWindowWidget> run;
    std::string train;
    window.onTestDrive = [&](const std::string& testLine, std::optional<size_t> station) {
        const auto trains = TrainFiles(dataDir);
        if (trains.empty()) {
            QMessageBox::warning(&window, "Test drive", "The data folder has no train file.");
            return;
        }
        if (train.empty() || std::find(trains.begin(), trains.end(), train) == trains.end()) {
            QStringList items;
            for (const auto& t : trains) items << QString::fromStdString(t);
            bool ok = false;
            const QString item =
                QInputDialog::getItem(&window, "Test drive", "Train", items, 0, false, &ok);
            if (!ok) return;
            train = item.toStdString();
        }
        run = std::make_unique<RunWindowWidget>(services, keys, values, help, dataDir, train,
                                                testLine);
        if (!run->Build([&](const std::string& text) {
                window.statusBar()->showMessage(QString::fromStdString(text));
            })) {
            run.reset();
            return;
        }
        if (station) run->Run().StationClick("Sta" + std::to_string(*station));
        run->onClosed = [&](bool) {
            run.release()->deleteLater();
            window.show();
        };
        window.hide();
        run->show();
        run->activateWindow();
        run->View().setFocus();
    };
    window.show();
    return app.exec();
}

}  // namespace kelvaron
