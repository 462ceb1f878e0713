#include "shell/script_playback.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <variant>

namespace kelvaron {

void WindowTimers::OnTick(int64_t tMs) {
    window_.SetTime(tMs);
    window_.MMTimer1Timer();
    if (afterTick) afterTick(tMs);
}

void WindowTimers::OnRefresh(int64_t tMs) {
    window_.SetTime(tMs);
    window_.Timer1Timer();
    if (afterRefresh) afterRefresh(tMs);
}

ScriptEffect ApplyScriptEvent(const ScriptAction& action, RunWindow& window,
                              ScriptedJoystick& joystick, ScriptedSerialPort& serial) {
    InputDispatcher& input = window.Input();
    return std::visit(
        [&](const auto& a) -> ScriptEffect {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, ScriptStart>) {
                window.start1Click();
                return window.Running() ? ScriptEffect::TimersStarted : ScriptEffect::TimersPaused;
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
                return ScriptEffect::Close;
            }
            return ScriptEffect::None;
        },
        action);
}

void VirtualTimePlayer::SerialWaitsBefore(int64_t limitMs) {
    InputDispatcher& input = run_.window.Input();
    for (auto due = input.SerialDeadline(); due && *due < limitMs; due = input.SerialDeadline()) {
        timers_.AdvanceBefore(*due, client_);
        run_.window.SetTime(*due);
        run_.window.SerialWaitOver(*due);
    }
}

void VirtualTimePlayer::Play(const RunScript& script, AutoDriver* driver,
                             std::optional<int64_t> untilMs) {
    int64_t nowMs = 0;  // the time of the input being applied
    run_.serial.onReceived = [&](int count) { run_.window.RxChar(count, nowMs); };

    size_t next = 0;
    int64_t end = 0;
    int64_t lastAct = -1;
    bool closed = false;
    while (!closed) {
        std::optional<int64_t> t;
        if (next < script.events.size()) t = script.events[next].timeMs;
        std::optional<int64_t> act;
        if (driver && !driver->Finished() && timers_.NextRefresh()) {
            act = AutoDriver::ActTime(std::max(lastAct + 1, timers_.Now()), *timers_.NextRefresh());
            if (*act > kDriverGiveUpMs) act.reset();
        }
        if (act && (!t || *act < *t)) t = act;
        if (!t || (untilMs && *t > *untilMs)) break;
        SerialWaitsBefore(*t);
        timers_.AdvanceBefore(*t, client_);
        run_.window.SetTime(*t);
        nowMs = *t;
        end = *t;
        while (!closed && next < script.events.size() && script.events[next].timeMs == *t) {
            switch (ApplyScriptEvent(script.events[next++].action, run_.window, run_.joystick,
                                     run_.serial)) {
                case ScriptEffect::TimersStarted:
                    timers_.Start(*t);
                    break;
                case ScriptEffect::TimersPaused:
                    timers_.Pause(*t);
                    break;
                case ScriptEffect::Close:
                    closed = true;
                    break;
                case ScriptEffect::None:
                    break;
            }
        }
        if (closed) break;
        if (act && *act == *t) {
            driver->Act(*t, timers_);
            lastAct = *t;
        }
        timers_.AdvanceTo(*t, client_);
    }
    if (!closed) {
        if (untilMs) end = *untilMs;
        SerialWaitsBefore(end + 1);
        timers_.AdvanceTo(end, client_);
    }
    run_.serial.onReceived = nullptr;
}

void PlayScript(const RunScript& script, std::optional<int64_t> untilMs, ScriptedRun run,
                RunRecording recording, AutoDriver* driver) {
    Scheduler timers;
    WindowTimers client(run.window);
    const int stations = static_cast<int>(run.window.Line().Station.size());
    if (recording.trace && recording.traceTicks) {
        client.afterTick = [&](int64_t t) {
            recording.trace->WriteRow(t, "tick", run.window.State(), stations);
        };
    }
    client.afterRefresh = [&](int64_t t) {
        recording.summary.Observe(run.window.State(), run.window.Line(), run.window.Moves());
        if (recording.review) recording.review->Observe(t, run.window.Context());
        if (recording.trace) recording.trace->WriteRow(t, "refresh", run.window.State(), stations);
    };
    // The driver takes a standing train: the run starts with it.
    if (driver) {
        run.window.start1Click();
        timers.Start(0);
    }
    VirtualTimePlayer(run, timers, client).Play(script, driver, untilMs);
}

}  // namespace kelvaron
