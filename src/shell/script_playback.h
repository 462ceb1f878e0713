#pragma once

#include <cstdint>
#include <optional>

#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/virtual_mixer.h"
#include "shell/run_script.h"
#include "shell/run_summary.h"
#include "shell/run_window.h"
#include "shell/trace_writer.h"

namespace kelvaron {

// What a script plays on: a started-up run and the headless devices it was
// built with.
struct ScriptedRun {
    RunWindow& window;
    VirtualMixer& mixer;
    ScriptedJoystick& joystick;
    ScriptedSerialPort& serial;
};

// Where the run is recorded: the trace (none when null), one row per refresh
// and also per tick with `traceTicks`, and the summary.
struct RunRecording {
    TraceWriter* trace = nullptr;
    bool traceTicks = false;
    RunSummary& summary;
};

// Plays the script's events in virtual time as fast as the machine allows,
// with the timers of the Start command between them. The run ends at a
// `close`, at `untilMs`, or at the script's last event.
void PlayScript(const RunScript& script, std::optional<int64_t> untilMs, ScriptedRun run,
                RunRecording recording);

}  // namespace kelvaron
