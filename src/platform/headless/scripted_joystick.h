#pragma once

#include "platform/joystick.h"

namespace kelvaron {

// A joystick whose state a script or test sets; each poll reads the last state set.
class ScriptedJoystick : public Joystick {
  public:
    JoystickState state;
    JoystickState Poll() override { return state; }
};

}  // namespace kelvaron
