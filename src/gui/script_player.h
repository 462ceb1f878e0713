#pragma once

#include <QtCore/QTimer>
#include <functional>
#include <vector>

#include "shell/run_script.h"

namespace kelvaron {

class RunWindowWidget;

// Plays a runner script into a run window on the wall clock, so that a drive
// can be repeated on the desktop (measurements, demonstrations). Times count
// from when the player starts, on the run's clock. Joystick and serial events belong to real
// devices on the desktop and are passed over.
class ScriptPlayer {
  public:
    ScriptPlayer(RunWindowWidget& window, std::vector<ScriptEvent> events);

    // The script has played its last event (a `close` closes the window).
    std::function<void()> onFinished;

  private:
    void PlayDue();

    RunWindowWidget& window_;
    std::vector<ScriptEvent> events_;
    size_t next_ = 0;
    int64_t startMs_;
    QTimer timer_;
};

}  // namespace kelvaron
