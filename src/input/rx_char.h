#pragma once

#include <cstdint>

#include "data/controller_file_reader.h"
#include "input/posted_input.h"
#include "input/serial_framer.h"
#include "platform/serial_port.h"
#include "run/run_context.h"

namespace kelvaron {

// The serial master controller's received-characters event: reads `count`
// characters received at `nowMs` and applies each code they complete: every
// line of the table that holds the code acts, in line order. The value
// window's caption shows the last complete code, with any bytes dropped after
// it, so the player sees what the controller sends.
void RxChar(RunContext& run, SerialPort& port, int count, int64_t nowMs, SerialFramer& framer,
            const MasconCodes& codes, PostedInputQueue& posted);

// The start of a code has waited long enough for its rest: it is taken as it
// stands (a shorter code it holds, or dropped bytes).
void SerialWaitOver(RunContext& run, int64_t nowMs, SerialFramer& framer, const MasconCodes& codes,
                    PostedInputQueue& posted);

}  // namespace kelvaron
