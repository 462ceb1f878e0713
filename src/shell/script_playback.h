#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "drive/auto_driver.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "shell/run_review.h"
#include "shell/run_script.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "shell/trace_writer.h"
#include "sim/scheduler.h"

namespace kelvaron {

// Delivers the timers to a run window in virtual time, the run's clock
// following them; the hooks see the run after each event.
class WindowTimers : public SchedulerClient {
  public:
    explicit WindowTimers(RunWindow& window) : window_(window) {}

    std::function<void(int64_t tMs)> afterTick;
    std::function<void(int64_t tMs)> afterRefresh;

    void OnTick(int64_t tMs) override;
    void OnRefresh(int64_t tMs) override;

  private:
    RunWindow& window_;
};

// What a script event asks of the timers or the run once applied.
enum class ScriptEffect { None, TimersStarted, TimersPaused, Close };

// Applies one script event to a run: keys and wheel through its input
// dispatcher, menu commands through the window, joystick and serial input
// into the devices the run reads. The Start command is given to the window;
// starting or pausing the timers is left to the caller, which keeps them.
ScriptEffect ApplyScriptEvent(const ScriptAction& action, RunWindow& window,
                              ScriptedJoystick& joystick, ScriptedSerialPort& serial);

// What a script plays on: a started-up run and the headless devices it was
// built with.
struct ScriptedRun {
    RunWindow& window;
    ScriptedJoystick& joystick;
    ScriptedSerialPort& serial;
};

// A run played as fast as the machine allows: the script's events, the
// serial line's waits and the automatic driver's moments in virtual time. At
// each moment every script event of that millisecond comes first, then the
// driver, then the timers due. The run ends at a close (before the timers of
// its moment), at `untilMs`, when the driver is done, or after the last
// event.
class VirtualTimePlayer {
  public:
    VirtualTimePlayer(ScriptedRun run, Scheduler& timers, SchedulerClient& client)
        : run_(run), timers_(timers), client_(client) {}

    // A driver left to itself ends here at the latest: one held at a signal
    // that never clears must not keep the run going for ever.
    static constexpr int64_t kDriverGiveUpMs = 6LL * 3600 * 1000;

    void Play(const RunScript& script, AutoDriver* driver, std::optional<int64_t> untilMs);

  private:
    // The start of a serial code stops waiting for its rest at its own time,
    // an input among the timers like any other.
    void SerialWaitsBefore(int64_t limitMs);

    ScriptedRun run_;
    Scheduler& timers_;
    SchedulerClient& client_;
};

// Where the run is recorded: the trace (none when null), one row per refresh
// and also per tick with `traceTicks`, the summary, and the review (none
// when null).
struct RunRecording {
    TraceWriter* trace = nullptr;
    bool traceTicks = false;
    RunSummary& summary;
    RunReview* review = nullptr;
};

// Plays the script (and the driver, when given) on a run whose timers have
// not started, recording it as asked.
void PlayScript(const RunScript& script, std::optional<int64_t> untilMs, ScriptedRun run,
                RunRecording recording, AutoDriver* driver = nullptr);

}  // namespace kelvaron
