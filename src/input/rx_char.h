#pragma once

#include "data/controller_file_reader.h"
#include "input/posted_input.h"
#include "platform/serial_port.h"
#include "run/run_context.h"

namespace kelvaron {

// Length of the message code the serial master controller sends; the rest of
// a received chunk is not looked at.
constexpr size_t kMasconKeyLength = 5;

// The serial master controller's received-characters event: reads `count`
// characters, shows them as the value window's caption and applies every
// line of the code table that equals the chunk's first five characters, in
// line order.
void RxChar(RunContext& run, SerialPort& port, int count, const MasconCodes& codes,
            PostedInputQueue& posted);

}  // namespace kelvaron
