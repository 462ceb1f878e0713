#pragma once

#include "platform/joystick.h"

namespace kelvaron {

// The first joystick SDL offers, read through SDL's joystick subsystem only
// (no window, no event loop of SDL's own). A joystick plugged in later is
// found at the next poll; without one every poll reads all zero.
class SdlJoystick : public Joystick {
  public:
    SdlJoystick();
    ~SdlJoystick() override;
    SdlJoystick(const SdlJoystick&) = delete;
    SdlJoystick& operator=(const SdlJoystick&) = delete;

    JoystickState Poll() override;

  private:
    bool initialised_ = false;
    void* joystick_ = nullptr;  // SDL_Joystick
};

}  // namespace kelvaron
