#pragma once

#include <optional>
#include <string>

#include "data/controller_file_reader.h"
#include "input/keyboard.h"
#include "input/pad_profiles.h"
#include "input/pad_scan.h"
#include "input/posted_input.h"
#include "input/serial_framer.h"
#include "platform/game_controller.h"
#include "platform/joystick.h"
#include "platform/serial_port.h"
#include "run/run_context.h"

namespace kelvaron {

// Sees every input a run receives as it arrives, before it acts: what a
// recording of the run keeps. Joystick states are seen as the refresh reads
// them, serial chunks as the controller's event reads them.
class InputObserver {
  public:
    virtual ~InputObserver() = default;
    virtual void OnChar(char key) = 0;
    virtual void OnKey(int vk, bool shiftOnly) = 0;
    virtual void OnWheel(bool up) = 0;
    virtual void OnJoystick(const JoystickState& state) = 0;
    virtual void OnSerial(const std::string& chunk) = 0;
};

// The one way driver input reaches a run, for the window and the headless
// runner alike. Input that a controller handler posts (driving keys, Enter)
// is handled once that handler has returned, in the order it was posted.
class InputDispatcher {
  public:
    InputDispatcher(RunContext& run, const ControllerCodes& codes, InputHooks hooks = {});

    InputHooks& Hooks() { return hooks_; }
    // Null for none.
    void Observe(InputObserver* observer) { observer_ = observer; }

    void TypedChar(char key);
    void KeyDown(int vk, bool shiftOnly);
    void WheelUp();
    void WheelDown();

    // The refresh's joystick step: reads the controller when one is selected
    // (ControllerKind 1 or 2). Returns the run window's new caption when the
    // debug option is on and the state changed.
    std::optional<std::string> ScanJoystick(Joystick& joystick, bool debug);

    // The serial port's received-characters event, at `nowMs` of the caller's
    // millisecond clock.
    void SerialReceived(SerialPort& port, int count, int64_t nowMs);
    // When the start of a code stops waiting for its rest; the caller then
    // calls SerialWaitOver. Empty when nothing waits.
    std::optional<int64_t> SerialDeadline() const { return framer_.Deadline(); }
    void SerialWaitOver(int64_t nowMs);
    // The refresh's step for a game controller (ControllerKind 3): the first
    // device that has a mapping, through its own table.
    void ScanGamePad(GameControllers& pads, const PadProfiles& profiles);

  private:
    void HandlePosted();

    RunContext& run_;
    const ControllerCodes& codes_;
    InputHooks hooks_;
    PostedInputQueue posted_;
    SerialFramer framer_;
    PadScanner pad_;
    InputObserver* observer_ = nullptr;
};

}  // namespace kelvaron
