#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/controller_file_reader.h"
#include "input/posted_input.h"
#include "platform/joystick.h"
#include "run/run_context.h"

namespace kelvaron {

// Controller kinds of the Controller menu.
constexpr int32_t kControllerKeyboard = 0;
constexpr int32_t kControllerWindows = 1;
constexpr int32_t kControllerPlayStation = 2;
// A game pad or one-handle train controller through SDL's game-controller layer.
constexpr int32_t kControllerGamePad = 3;

// An axis reading after the 5 % dead zone: -1638..1638 reads 0 and the rest
// is stretched so the range stays -32768..32767.
int32_t ApplyDeadZone(int32_t raw);

// One joystick state as the handle controllers report it.
struct JoyReading {
    int32_t X = 0, Y = 0;
    int32_t LowBits = 0;   // buttons 0-3 in bits 0-3, buttons 8-15 in bits 4-11
    int32_t HighBits = 0;  // buttons 4-7 in bits 0-3
    uint16_t Buttons = 0;
    int32_t JoyCode() const { return X + Y + LowBits + HighBits; }
};
JoyReading ReadJoystick(Joystick& joystick);

// Reads the handle controller selected by ControllerKind (1 or 2) and turns a
// changed state into handle positions and posted driving keys. A state whose
// sum equals the last one is taken as unchanged. With `debug` on, returns the
// run window's new caption ("X:120 Y:-7000").
std::optional<std::string> USBScan(RunContext& run, Joystick& joystick, const PsCodes& codes,
                                   bool debug, PostedInputQueue& posted);

}  // namespace kelvaron
