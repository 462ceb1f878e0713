#pragma once

#include <QtCore/QTimer>
#include <QtWidgets/QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "gui/gui_services.h"
#include "gui/key_route.h"
#include "gui/title_sequence.h"
#include "shell/line_folders.h"
#include "shell/run_selection.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kelvaron {

class HelpWindowWidget;
class MovieView;
class RunWindowWidget;
class StudioSession;
class ValueWindowWidget;

// The title screen, the program's main window: the opening movie, a title
// picture with the run buttons, and the status line while a run is built.
// It hides while a run window is open and comes back when that closes.
class TitleScreen : public QWidget {
  public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kStatusHeight = 18;

    TitleScreen(GuiServices services, VideoReader& movieReader, KeyRoute& keys,
                ValueWindowWidget& valueWindow, HelpWindowWidget& helpWindow,
                std::filesystem::path dataDir);
    ~TitleScreen() override;

    // The title screen's start: the movie begins (when there is one) and a
    // title picture is chosen.
    void Open();

    // A run button: builds the run and shows its window.
    void ChooseRun(const RunChoice& choice);
    RunWindowWidget* CurrentRun() const { return run_.get(); }

    const TitleSequence& Sequence() const { return sequence_; }
    MovieView& Movie() { return *movie_; }
    // One tick of the 100 ms timer.
    void TimerTick();
    // A click on the movie.
    void SkipMovie();
    // The help button: the manual opens in the desktop's browser, or a message
    // says where it is.
    void HelpClick();

    // "Open line folder…": the folder chooser, then OpenFolder.
    void ChooseFolder();
    // Makes `folder` the line folder of the runs, the title picture and the
    // help; false, with a message and nothing changed, when it holds no line.
    bool OpenFolder(const std::filesystem::path& folder);
    const std::filesystem::path& DataDir() const { return dataDir_; }
    // The folder chooser; returns nothing when cancelled. Tests put their own here.
    std::function<std::optional<std::filesystem::path>()> askForFolder;

    // "路線スタジオ": asks for a line file (the chooser starts in the line
    // folder) and opens the line studio on it, in the file's own folder; false,
    // with a message, when the line cannot be read.
    bool OpenStudio();
    StudioSession* Studio() const { return studio_.get(); }
    // The line file chooser: a path, relative to the line folder or absolute;
    // nothing when cancelled. Tests put their own here.
    std::function<std::optional<std::filesystem::path>()> askForLineFile;

    // The program must end with this exit code (start-up failed, or the sound
    // device was lost).
    std::function<void(int code)> onFatal;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ApplySequence();
    // The movie goes and the title picture shows at full size.
    void LeaveMovie();
    void RunClosed(bool soundDeviceLost);
    void SetClientHeight(int height);
    void ShowTitlePicture();
    void ShowRecentFolders();
    void ShowFolderChoice(bool shown);

    GuiServices services_;
    KeyRoute& keys_;
    ValueWindowWidget& valueWindow_;
    HelpWindowWidget& helpWindow_;
    std::filesystem::path dataDir_;
    TitleSequence sequence_{false};
    QTimer timer_;

    QLabel* picture_;
    MovieView* movie_;
    std::array<QPushButton*, 4> buttons_{};
    QPushButton* openFolder_;
    QPushButton* studioButton_;
    QComboBox* recent_;
    QLabel* loading_;
    QLabel* status_;
    std::unique_ptr<RunWindowWidget> run_;
    std::unique_ptr<StudioSession> studio_;
};

}  // namespace kelvaron
