#pragma once

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtWidgets/QMainWindow>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "gui/cab_view.h"
#include "gui/gui_services.h"
#include "gui/key_route.h"
#include "gui/menu_bar_view.h"
#include "gui/run_pacer.h"
#include "shell/run_window.h"

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

    // The window has closed and its run is over. `soundDeviceLost`: the sound
    // device could not be re-created, and the program must end.
    std::function<void(bool soundDeviceLost)> onClosed;

    // Runs every tick and refresh the wall clock has reached, then lets the
    // presenter draw. The window's own timer calls this; tests may too.
    void Pump();

    // A menu command by component name, as a click on the menu bar gives it.
    void MenuCommand(const std::string& name);

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnTick(int64_t tMs) override;
    void OnRefresh(int64_t tMs) override;

    // Runs one piece of input at the present moment, then shows its effects.
    void Input(const std::function<void()>& handler);
    void DriverKey(const QKeyEvent& event);
    void StartOrPause();
    void ShowStillPicture();
    void ShowFrame();
    void SyncWindows();
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
    RunPacer pacer_;
    CabView* view_;
    std::unique_ptr<MenuBarView> menus_;
    QTimer timer_;
    QTimer serialWait_;  // the start of a serial code waiting for its rest
    QElapsedTimer elapsed_;
    bool built_ = false;
    bool attached_ = false;  // holds the key route and the shared windows' events
    bool closed_ = false;
    bool refreshed_ = false;
};

}  // namespace kelvaron
