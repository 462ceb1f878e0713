#pragma once

#include <filesystem>
#include <string>

#include "run/run_context.h"

namespace kelvaron {

// The driver's call-out voices, spoken one after another through a queue of
// twelve on the call-out channel so that calls never overlap.

// Appends a loaded voice; dropped when all twelve places are taken.
void kanko_queue_add(RunState& state, SoundId voice);

// Refresh step: starts the next voice once the channel has fallen silent.
void kanko_queue_play(RunContext& run);

// Empties the queue (the "reset sound" menu command).
void ClearCalloutQueue(RunState& state);

// Queues the per-signal voices of the signal on display for a position
// (1: before its name, 2: after its aspect).
void kanko_add(RunContext& run, int32_t position);

// Queues the timetable call for a scheduled time (1/30 s): on time, or how
// early or late in 15 s steps up to two minutes.
void Timekanko(RunContext& run, int32_t scheduledTime);

// Calls Timekanko for every time check of `kind` whose frame range holds the train.
void Timecheck(RunContext& run, int32_t kind);

// The Enter key: calls out the sign or time check shown, else the speed-limit
// warning, else the signal ahead with its name.
void Callout(RunContext& run);

// The event hook: given the run's main figures it answers a command text. A
// text starting with "0" is shown as commentary while commentary mode is on,
// one starting with "1" names a wave file played once on the run-time
// channel. This build's hook has nothing to say: it answers an empty text.
std::string EventHook(int32_t speedKmh, int32_t clockTicks, int32_t frame, int32_t powerNotch,
                      int32_t brakeNotch, int32_t reverser, bool forcedEB, bool speedCheckEB,
                      bool doorsOpen, const std::string& trainFile);

// Refresh step: asks the hook and acts on a changed answer.
void RunEventHook(RunContext& run, bool commentaryMode, const std::filesystem::path& dataDir);

}  // namespace kelvaron
