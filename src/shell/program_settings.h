#pragma once

#include <cstdint>

#include "data/controller_file_reader.h"

namespace kelvaron {

// What the player sets for the whole program rather than for one run: the
// keypad swap, the automatic-run test switch, the value window, the
// controller chosen in the Controller menu and the joystick codes read from
// the settings store. Each run starts from these and hands them on when it
// closes; everything read from the run's data files starts afresh.
struct ProgramSettings {
    bool KeypadSwap = false;
    bool AutoRun = false;
    bool ValueWindowShown = false;
    int32_t ControllerKind = 0;
    PsCodes Ps{};
};

}  // namespace kelvaron
