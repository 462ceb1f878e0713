#include "gui/title_screen.h"

#include <QtCore/QRandomGenerator>
#include <QtCore/QStandardPaths>
#include <QtGui/QCloseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>

#include "common/data_path.h"
#include "data/data_pictures.h"
#include "gui/help_window_widget.h"
#include "gui/movie_view.h"
#include "gui/panel_painter.h"
#include "gui/run_window_widget.h"
#include "gui/studio/studio_session.h"
#include "gui/studio/studio_window.h"
#include "gui/window_placement.h"
#include "platform/qt/qt_program_settings.h"

namespace kelvaron {

namespace {

struct ButtonPlace {
    const char* text;
    QRect place;
};
constexpr std::array<ButtonPlace, 4> kButtons{{
    {"Express", QRect(419, 360, 200, 38)},
    {"Local", QRect(418, 404, 200, 38)},
    {"Help", QRect(11, 429, 50, 19)},
    {"Quit", QRect(11, 453, 50, 19)},
}};

constexpr const char* kButtonStyle =
    "QPushButton { color: white; background: rgba(0, 0, 0, 150); border: 1px solid "
    "rgba(255, 255, 255, 180); font-weight: bold; }"
    "QPushButton:hover { background: rgba(40, 80, 160, 200); }";

}  // namespace

TitleScreen::TitleScreen(GuiServices services, VideoReader& movieReader, KeyRoute& keys,
                         ValueWindowWidget& valueWindow, HelpWindowWidget& helpWindow,
                         std::filesystem::path dataDir)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      services_(services),
      keys_(keys),
      valueWindow_(valueWindow),
      helpWindow_(helpWindow),
      dataDir_(std::move(dataDir)),
      picture_(new QLabel(this)),
      movie_(new MovieView(movieReader, services.run.mixer, this)),
      openFolder_(new QPushButton(QString::fromUtf8("Open line folder…"), this)),
      studioButton_(new QPushButton(QString::fromUtf8("路線スタジオ"), this)),
      recent_(new QComboBox(this)),
      loading_(new QLabel("Loading...", this)),
      status_(new QLabel(this)) {
    setWindowTitle(QCoreApplication::applicationName());
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    picture_->setGeometry(0, 0, kWidth, kHeight);
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new QPushButton(kButtons[i].text, this);
        button->setGeometry(kButtons[i].place);
        button->setStyleSheet(kButtonStyle);
        button->setFocusPolicy(Qt::NoFocus);
        buttons_[i] = button;
    }
    QObject::connect(buttons_[0], &QPushButton::clicked,
                     [this] { ChooseRun(*::kelvaron::ChooseRun("express")); });
    QObject::connect(buttons_[1], &QPushButton::clicked,
                     [this] { ChooseRun(*::kelvaron::ChooseRun("local")); });
    QObject::connect(buttons_[2], &QPushButton::clicked, [this] { HelpClick(); });
    QObject::connect(buttons_[3], &QPushButton::clicked, [this] { close(); });

    // The line folder comes with the last button, below the help.
    openFolder_->setGeometry(11, 405, 130, 19);
    openFolder_->setStyleSheet(kButtonStyle);
    openFolder_->setFocusPolicy(Qt::NoFocus);
    recent_->setGeometry(146, 405, 262, 19);
    recent_->setToolTip("Line folders opened lately");
    recent_->setFocusPolicy(Qt::NoFocus);
    QObject::connect(openFolder_, &QPushButton::clicked, [this] { ChooseFolder(); });
    QObject::connect(recent_, &QComboBox::activated, [this](int index) {
        const std::filesystem::path folder = recent_->itemData(index).toString().toStdString();
        if (folder != dataDir_) OpenFolder(folder);
    });
    askForFolder = [this]() -> std::optional<std::filesystem::path> {
        // The user's data folder is where lines are kept; the chooser starts there.
        const QString home =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/kelvaron";
        std::error_code ignored;
        std::filesystem::create_directories(home.toStdString(), ignored);
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QString::fromUtf8("Open line folder…"), home);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen.toStdString();
    };

    // The studio makes lines for the folder; its button sits above the folder's.
    studioButton_->setGeometry(11, 381, 130, 19);
    studioButton_->setStyleSheet(kButtonStyle);
    studioButton_->setFocusPolicy(Qt::NoFocus);
    QObject::connect(studioButton_, &QPushButton::clicked, [this] { OpenStudio(); });
    askForLineFile = [this]() -> std::optional<std::filesystem::path> {
        const QString chosen = QFileDialog::getOpenFileName(
            this, QString::fromUtf8("路線スタジオ"), QString::fromStdString(dataDir_.string()),
            "Line files (*.dat)");
        if (chosen.isEmpty()) return std::nullopt;
        return std::filesystem::path(chosen.toStdString());
    };

    loading_->setGeometry(257, 231, 100, 20);
    loading_->setAlignment(Qt::AlignCenter);
    loading_->setStyleSheet("color: white; background: rgb(40, 40, 40);");
    loading_->hide();
    status_->setGeometry(0, kHeight, kWidth, kStatusHeight);
    status_->setStyleSheet("color: white;");

    movie_->move(0, 0);
    movie_->onClick = [this] { SkipMovie(); };
    // A movie played to its end counts as a click: the title follows at once.
    movie_->onFinished = [this] { SkipMovie(); };
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] { TimerTick(); });
}

TitleScreen::~TitleScreen() = default;

void TitleScreen::Open() {
    setFixedSize(MovieView::kWidth, MovieView::kHeight);
    const char* movieName = "move\\opening.avi";
    const DataFile movie = ResolveDataPath(dataDir_, movieName);
    const bool movieExists = !movie.Refused() && std::filesystem::is_regular_file(movie.path);
    sequence_ = TitleSequence(movieExists);
    if (movieExists) {
        movie_->SetFileName(movie.path);
        if (movie_->Open()) {
            movie_->Play();
        } else {
            services_.run.messages.Show(std::string("オープニングムービーを開けません: ") +
                                        movieName);
        }
    }
    ApplySequence();
    timer_.start();
    ShowTitlePicture();
    ShowRecentFolders();
    CentreOnScreen(*this);
}

bool TitleScreen::OpenStudio() {
    const auto chosen = askForLineFile();
    if (!chosen) return false;
    // A line names its pictures, sounds and video from its own folder.
    const std::filesystem::path file = dataDir_ / *chosen;
    auto studio = std::make_unique<StudioSession>(services_, keys_, valueWindow_, helpWindow_,
                                                  file.parent_path());
    std::string error;
    if (!studio->Open(file.filename().string(), std::nullopt, error)) {
        services_.run.messages.Show(error);
        return false;
    }
    studio_ = std::move(studio);
    studio_->Window()->show();
    studio_->Window()->activateWindow();
    return true;
}

void TitleScreen::ShowTitlePicture() {
    const int k = QRandomGenerator::global()->bounded(6);
    const std::string name = "image\\title\\0" + std::to_string(k + 1) + ".jpg";
    std::string why;
    auto title =
        LoadDataPicture(services_.run.pictures, dataDir_, name, PictureFormats::BitmapOrJpeg, why);
    if (title) {
        picture_->setPixmap(QPixmap::fromImage(ToImage(*title)));
    } else {
        picture_->clear();
        services_.run.messages.Show("Cannot open the title picture " + name + ": " + why);
    }
}

void TitleScreen::ShowRecentFolders() {
    recent_->clear();
    for (const std::filesystem::path& folder : RecentFolders(ReadRecentFolders()).Existing()) {
        recent_->addItem(QString::fromStdString(folder.string()),
                         QString::fromStdString(folder.string()));
    }
    recent_->setCurrentIndex(recent_->findData(QString::fromStdString(FolderKey(dataDir_))));
    recent_->setEnabled(recent_->count() > 0);
}

void TitleScreen::ChooseFolder() {
    if (!askForFolder) return;
    if (auto folder = askForFolder()) OpenFolder(*folder);
}

bool TitleScreen::OpenFolder(const std::filesystem::path& folder) {
    if (!HoldsLine(folder)) {
        services_.run.messages.Show("There is no line in " + folder.string() +
                                    ": it has no kelvaron.dat.");
        return false;
    }
    dataDir_ = folder;
    RememberFolder(folder);
    ShowTitlePicture();
    helpWindow_.LoadText(dataDir_, services_.run.messages);
    ShowRecentFolders();
    return true;
}

void TitleScreen::TimerTick() {
    // The sequence has already started its count from the skip.
    if (sequence_.Tick()) LeaveMovie();
    ApplySequence();
}

void TitleScreen::SkipMovie() {
    if (!movie_->isVisible()) return;
    sequence_.Skip();
    LeaveMovie();
}

void TitleScreen::LeaveMovie() {
    if (!movie_->FileName().empty()) {
        movie_->Stop();
        movie_->Close();
    }
    movie_->hide();
    setFixedSize(kWidth, kHeight);
    // Grown about its middle, so that it stays centred.
    move(x() - (kWidth - MovieView::kWidth) / 2, y() - (kHeight - MovieView::kHeight) / 2);
    ApplySequence();
}

void TitleScreen::HelpClick() {
    const DataFile readme = ResolveDataPath(dataDir_, "readme.html");
    const std::filesystem::path page = std::filesystem::absolute(readme.path);
    if (readme.Refused() || !std::filesystem::is_regular_file(page)) {
        services_.run.messages.Show("The help page is missing: " + page.string());
        return;
    }
    // Without a browser the player still learns where the page is.
    if (!services_.shell.Open(page)) {
        services_.run.messages.Show("No program to show the help page was found. It is at " +
                                    page.string());
    }
}

void TitleScreen::ApplySequence() {
    if (!sequence_.TimerEnabled()) timer_.stop();
    movie_->setVisible(sequence_.MovieShown());
    for (size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setVisible(sequence_.ButtonShown(static_cast<TitleButton>(i)));
    }
    ShowFolderChoice(sequence_.ButtonShown(TitleButton::Quit));
}

void TitleScreen::ShowFolderChoice(bool shown) {
    openFolder_->setVisible(shown);
    recent_->setVisible(shown);
}

void TitleScreen::SetClientHeight(int height) {
    setFixedSize(width(), height);
}

void TitleScreen::ChooseRun(const RunChoice& choice) {
    sequence_.Stop();
    ApplySequence();
    ShowFolderChoice(false);
    loading_->show();
    loading_->raise();
    loading_->repaint();

    SetClientHeight(kHeight + kStatusHeight);
    const auto status = [this](const std::string& text) {
        status_->setText(QString::fromStdString(text));
        status_->repaint();
    };
    status("Formを作成しています");

    run_ = std::make_unique<RunWindowWidget>(services_, keys_, valueWindow_, helpWindow_, dataDir_,
                                             choice.trainFile, choice.lineFile);
    if (!run_->Build(status)) {
        if (run_->Run().StartupFatal()) {
            if (onFatal) onFatal(1);
            return;
        }
        // No run was built: back to the title, where another run may be chosen.
        run_.reset();
        loading_->hide();
        status_->clear();
        SetClientHeight(kHeight);
        ShowFolderChoice(true);
        return;
    }
    run_->onClosed = [this](bool soundDeviceLost) { RunClosed(soundDeviceLost); };
    hide();
    run_->show();
    run_->activateWindow();
    run_->View().setFocus();
}

void TitleScreen::RunClosed(bool soundDeviceLost) {
    if (soundDeviceLost) {
        if (onFatal) onFatal(1);
        return;
    }
    // The window is still in its close handler: it goes once that is over.
    run_.release()->deleteLater();
    loading_->hide();
    status_->clear();
    SetClientHeight(kHeight);
    ShowFolderChoice(true);
    show();
}

void TitleScreen::closeEvent(QCloseEvent* event) {
    event->accept();
    run_.reset();
    QCoreApplication::quit();
}

}  // namespace kelvaron
