#include "shell/script_playback.h"

#include <string>
#include <type_traits>
#include <variant>

#include "sim/scheduler.h"

namespace kelvaron {

namespace {

// Feeds the scheduler's events to the run window and records the trace.
class RunnerClient : public SchedulerClient {
  public:
    RunnerClient(RunWindow& window, VirtualMixer& mixer, TraceWriter* trace, bool traceTicks,
                 RunSummary& summary)
        : window_(window),
          mixer_(mixer),
          trace_(trace),
          traceTicks_(traceTicks),
          summary_(summary) {}

    void OnTick(int64_t t) override {
        mixer_.SetTime(t);
        window_.MMTimer1Timer();
        if (trace_ && traceTicks_) trace_->WriteRow(t, "tick", window_.State(), StationCount());
    }
    void OnRefresh(int64_t t) override {
        mixer_.SetTime(t);
        window_.Timer1Timer();
        summary_.Observe(window_.State(), window_.Line());
        if (trace_) trace_->WriteRow(t, "refresh", window_.State(), StationCount());
    }

  private:
    int StationCount() const { return static_cast<int>(window_.Line().Station.size()); }

    RunWindow& window_;
    VirtualMixer& mixer_;
    TraceWriter* trace_;
    bool traceTicks_;
    RunSummary& summary_;
};

// Applies one script event; false when it closes the run.
bool Apply(const ScriptEvent& event, RunWindow& window, Scheduler& scheduler,
           ScriptedJoystick& joystick, ScriptedSerialPort& serial) {
    const int64_t t = event.timeMs;
    InputDispatcher& input = window.Input();
    return std::visit(
        [&](const auto& a) -> bool {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, ScriptStart>) {
                window.start1Click();
                if (window.Running())
                    scheduler.Start(t);
                else
                    scheduler.Pause(t);
            } else if constexpr (std::is_same_v<A, ScriptChar>) {
                input.TypedChar(a.character);
            } else if constexpr (std::is_same_v<A, ScriptKey>) {
                input.KeyDown(a.code, a.shift);
            } else if constexpr (std::is_same_v<A, ScriptWheel>) {
                if (a.up)
                    input.WheelUp();
                else
                    input.WheelDown();
            } else if constexpr (std::is_same_v<A, ScriptMove>) {
                window.StationClick("Sta" + std::to_string(a.station));
            } else if constexpr (std::is_same_v<A, ScriptController>) {
                window.ChooseController(a.kind);
            } else if constexpr (std::is_same_v<A, ScriptJoystick>) {
                joystick.state = JoystickState{a.x, a.y, a.buttons};
            } else if constexpr (std::is_same_v<A, ScriptSerial>) {
                serial.Receive(a.text);
            } else if constexpr (std::is_same_v<A, ScriptClose>) {
                return false;
            }
            return true;
        },
        event.action);
}

}  // namespace

void PlayScript(const RunScript& script, std::optional<int64_t> untilMs, ScriptedRun run,
                RunRecording recording) {
    Scheduler scheduler;
    RunnerClient client(run.window, run.mixer, recording.trace, recording.traceTicks,
                        recording.summary);
    int64_t nowMs = 0;  // the time of the script event being applied
    run.serial.onReceived = [&](int count) { run.window.RxChar(count, nowMs); };

    // The start of a serial code stops waiting for its rest at its own time,
    // an input among the timers like any other.
    const auto serialWaitsBefore = [&](int64_t limitMs) {
        for (auto due = run.window.Input().SerialDeadline(); due && *due < limitMs;
             due = run.window.Input().SerialDeadline()) {
            scheduler.AdvanceBefore(*due, client);
            run.mixer.SetTime(*due);
            run.window.SerialWaitOver(*due);
        }
    };

    // Input comes first at equal times: every event of one millisecond is
    // applied before that millisecond's tick and refresh, and a close among
    // them ends the run before those timers.
    int64_t end = 0;
    bool closed = false;
    const auto& events = script.events;
    for (size_t i = 0; i < events.size() && !closed;) {
        const int64_t t = events[i].timeMs;
        if (untilMs && t > *untilMs) break;
        serialWaitsBefore(t);
        scheduler.AdvanceBefore(t, client);
        run.mixer.SetTime(t);
        nowMs = t;
        end = t;
        for (; i < events.size() && events[i].timeMs == t; ++i) {
            if (!Apply(events[i], run.window, scheduler, run.joystick, run.serial)) {
                closed = true;
                break;
            }
        }
        if (!closed) scheduler.AdvanceTo(t, client);
    }
    if (!closed) {
        if (untilMs) end = *untilMs;
        serialWaitsBefore(end + 1);
        scheduler.AdvanceTo(end, client);
    }
}

}  // namespace kelvaron
