#pragma once

#include <cstdint>

namespace kelvaron {

// One reading of the first joystick: raw axes -32768..32767 (before the dead
// zone) and 16 buttons, bit n = button n.
struct JoystickState {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t buttons = 0;
};

class Joystick {
  public:
    virtual ~Joystick() = default;
    // Clears the state, then reads the device; a missing device reads as all zero.
    virtual JoystickState Poll() = 0;
};

}  // namespace kelvaron
