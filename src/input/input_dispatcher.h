#pragma once

#include <optional>
#include <string>

#include "data/controller_file_reader.h"
#include "input/keyboard.h"
#include "input/posted_input.h"
#include "platform/joystick.h"
#include "platform/serial_port.h"
#include "run/run_context.h"

namespace kelvaron {

// The one way driver input reaches a run, for the window and the headless
// runner alike. Input that a controller handler posts (driving keys, Enter)
// is handled once that handler has returned, in the order it was posted.
class InputDispatcher {
  public:
    InputDispatcher(RunContext& run, const ControllerCodes& codes, InputHooks hooks = {});

    InputHooks& Hooks() { return hooks_; }

    void TypedChar(char key);
    void KeyDown(int vk, bool shiftOnly);
    void WheelUp();
    void WheelDown();

    // The refresh's joystick step: reads the controller when one is selected
    // (ControllerKind 1 or 2). Returns the run window's new caption when the
    // debug option is on and the state changed.
    std::optional<std::string> ScanJoystick(Joystick& joystick, bool debug);

    // The serial port's received-characters event.
    void SerialReceived(SerialPort& port, int count);

  private:
    void HandlePosted();

    RunContext& run_;
    const ControllerCodes& codes_;
    InputHooks hooks_;
    PostedInputQueue posted_;
};

}  // namespace kelvaron
