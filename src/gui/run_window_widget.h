#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtWidgets/QMainWindow>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "gui/cab_view.h"
#include "gui/gui_services.h"
#include "gui/key_route.h"
#include "gui/menu_bar_view.h"
#include "gui/run_pacer.h"
#include "gui/window_placement.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "shell/run_review.h"
#include "shell/run_script.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "shell/trace_writer.h"

namespace kelvaron {

class HelpWindowWidget;
class ValueWindowWidget;

// The run window on the desktop: shows one run (its cab, menus and caption)
// and feeds it the wall clock and the player's input. Ticks, refreshes, input
// and drawing all happen here, on the GUI thread, one after another.
class RunWindowWidget : public QMainWindow, private SchedulerClient {
  public:
    RunWindowWidget(GuiServices services, KeyRoute& keys, ValueWindowWidget& valueWindow,
                    HelpWindowWidget& helpWindow, std::filesystem::path dataDir,
                    std::string trainFile, std::string lineFile);
    ~RunWindowWidget() override;

    // Start-up of the run, with its progress texts. False when it failed; the
    // message has been shown.
    bool Build(const std::function<void(const std::string&)>& status);

    RunWindow& Run() { return run_; }
    CabView& View() { return *view_; }
    MenuBarView& Menus() { return *menus_; }

    // Milliseconds of the wall clock; tests put their own clock here.
    std::function<int64_t()> wallClock;
    // The run goes this many times faster than the wall clock, to load the
    // presenter as a faster train would; the presenter keeps the wall clock's
    // pace. Only for measurements: the run itself is the same.
    int64_t timeScale = 1;
    int64_t RunClock() const { return wallClock() * timeScale; }

    // The window has closed and its run is over. `soundDeviceLost`: the sound
    // device could not be re-created, and the program must end.
    std::function<void(bool soundDeviceLost)> onClosed;

    // Runs every tick and refresh the wall clock has reached, then lets the
    // presenter draw. The window's own timer calls this; tests may too.
    void Pump();

    // A menu command by component name, as a click on the menu bar gives it.
    void MenuCommand(const std::string& name);

    // Full screen and back (F11, the Display menu; Escape leaves it).
    void ToggleFullScreen();

    // A window with the review of the run so far (the Display menu, and the
    // end of a run that was started); it stays when the run window goes.
    QWidget* ShowReview();

    // One action of a runner script, as the player's own input would give it.
    void Play(const ScriptAction& action);

    // 再生: plays a recording of this train on this line into the window, in
    // place of the player, `rate` times as fast as life. Only on a run the
    // player has not touched; false (with a message) when the recording is
    // refused.
    bool StartReplay(const std::filesystem::path& recording, int rate);
    bool Replaying() const { return replay_.has_value(); }

    // How the cab view kept up with the run: frames shown, frames shown more
    // than a presenter period after they were due, the latest of them, and
    // the time from the window's creation to its first cab picture.
    struct PresenterStats {
        int64_t shown = 0;
        int64_t late = 0;
        int64_t worstMs = 0;
        int64_t firstPictureMs = -1;
    };
    const PresenterStats& Stats() const { return stats_; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnTick(int64_t tMs) override;
    void OnRefresh(int64_t tMs) override;

    // Runs one piece of input at the present moment, then shows its effects.
    void Input(const std::function<void()>& handler);
    void DriverKey(const QKeyEvent& event);
    void StartOrPause();
    void ChooseReplay();
    std::optional<int64_t> NextTimedInput(int64_t after);
    void TimedInput(int64_t t);
    // The player has done something to the run: it can no longer be a replay.
    void Touch();
    void ShowStillPicture();
    void ShowFrame();
    void Painted(bool video);
    void SyncWindows();
    // The cab takes the keys again once a menu or a dialog is gone.
    void RestoreFocus();
    // The value and help windows open at their place measured from the run
    // window's top-left corner, or where the player last put them.
    void PlaceBeside(QWidget& window, const QString& key, QPoint offset);
    void RememberPlace(QWidget& window, const QString& key);
    QSize DefaultCabSize() const;
    void ArmTimer();
    void EditSerialSettings();
    void ShowControllerWindow();
    void ToggleSerialPort();
    void ArmSerialWait();
    // Lets go of the shared key route, value window and serial port.
    void Detach();

    GuiServices services_;
    KeyRoute& keys_;
    ValueWindowWidget& valueWindow_;
    HelpWindowWidget& helpWindow_;
    RunWindow run_;
    RunSummary summary_;
    RunReview review_;
    RunPacer pacer_;
    CabView* view_;
    std::unique_ptr<MenuBarView> menus_;
    WindowMemory memory_;
    std::map<QString, QPoint> placedAt_;
    QTimer timer_;
    QTimer serialWait_;  // the start of a serial code waiting for its rest
    QElapsedTimer elapsed_;
    bool built_ = false;
    bool attached_ = false;  // holds the key route and the shared windows' events
    bool closed_ = false;
    bool refreshed_ = false;
    PresenterStats stats_;
    std::optional<int64_t> frameDueMs_;  // wall time the waiting frame became due
    std::optional<int64_t> shownDueMs_;  // the same for the frame on its way to the screen
    int64_t previousDrawMs_ = 0;
    bool touched_ = false;
    int64_t inputTime_ = 0;  // virtual moment of the input being handled

    std::ofstream traceFile_;
    std::unique_ptr<TraceWriter> trace_;

    // A recording playing into the window: its events, the next to come, and
    // the devices its joystick states and serial chunks reach the run by.
    std::optional<RunScript> replay_;
    size_t replayNext_ = 0;
    ScriptedJoystick replayJoystick_;
    ScriptedSerialPort replaySerial_;
};

}  // namespace kelvaron
