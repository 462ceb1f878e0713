#include "gui/studio/studio_session.h"

#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QStatusBar>
#include <algorithm>
#include <cctype>

#include "gui/run_window_widget.h"
#include "gui/studio/studio_window.h"

namespace kelvaron {

namespace {

// Train files of the data folder a test drive can use.
std::vector<std::string> TrainFiles(const std::filesystem::path& dataDir) {
    std::vector<std::string> trains;
    std::error_code e;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir, e)) {
        const std::string name = entry.path().filename().string();
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file(e) && lower.starts_with("train") && lower.ends_with(".dat")) {
            trains.push_back(name);
        }
    }
    std::sort(trains.begin(), trains.end());
    return trains;
}

}  // namespace

StudioSession::StudioSession(GuiServices services, KeyRoute& keys, ValueWindowWidget& values,
                             HelpWindowWidget& help, std::filesystem::path dataDir)
    : services_(services),
      keys_(keys),
      values_(values),
      help_(help),
      dataDir_(std::move(dataDir)),
      pictures_(services.run.pictures) {
    askForTrain = [this](const std::vector<std::string>& trains) -> std::optional<std::string> {
        QStringList items;
        for (const auto& t : trains) items << QString::fromStdString(t);
        bool ok = false;
        const QString item =
            QInputDialog::getItem(window_.get(), "Test drive", "Train", items, 0, false, &ok);
        if (!ok) return std::nullopt;
        return item.toStdString();
    };
}

StudioSession::~StudioSession() = default;

bool StudioSession::Open(const std::string& fileName,
                         const std::optional<std::filesystem::path>& video, std::string& error) {
    std::optional<StudioLine> line;
    std::error_code e;
    if (std::filesystem::exists(dataDir_ / fileName, e)) {
        line = StudioLine::Open(dataDir_, fileName, pictures_, error);
    } else if (video) {
        line = StudioLine::Create(dataDir_, fileName, video->stem().string(), pictures_);
    } else {
        error = (dataDir_ / fileName).string() + ": no such line file";
    }
    if (!line) return false;
    run_.reset();
    window_ = std::make_unique<StudioWindow>(
        std::move(*line), video ? std::filesystem::absolute(*video) : std::filesystem::path());
    window_->onTestDrive = [this](const std::string& lineFile, std::optional<size_t> station,
                                  TestDriver driver) { TestDrive(lineFile, station, driver); };
    return true;
}

void StudioSession::TestDrive(const std::string& lineFile, std::optional<size_t> station,
                              TestDriver driver) {
    StudioWindow& window = *window_;
    const auto trains = TrainFiles(dataDir_);
    if (trains.empty()) {
        QMessageBox::warning(&window, "Test drive", "The data folder has no train file.");
        return;
    }
    // The train is asked once; later drives use it while the folder still has it.
    if (train_.empty() || std::find(trains.begin(), trains.end(), train_) == trains.end()) {
        const auto chosen = askForTrain(trains);
        if (!chosen) return;
        train_ = *chosen;
    }
    run_ = std::make_unique<RunWindowWidget>(services_, keys_, values_, help_, dataDir_, train_,
                                             lineFile);
    if (!run_->Build([&](const std::string& text) {
            window.statusBar()->showMessage(QString::fromStdString(text));
        })) {
        run_.reset();
        return;
    }
    if (station) run_->Run().StationClick("Sta" + std::to_string(*station));
    // The driver is handed the train as the player hands it over from the menus: the run is
    // started and the Controller menu's automatic driver takes it from the standing train.
    if (driver == TestDriver::Automatic) {
        run_->MenuCommand("start1");
        run_->MenuCommand("auto1");
    }
    run_->onClosed = [this](bool) {
        run_.release()->deleteLater();
        window_->show();
    };
    window.hide();
    run_->show();
    run_->activateWindow();
    run_->View().setFocus();
}

}  // namespace kelvaron
