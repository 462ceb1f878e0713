#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvaron {

// SDL's standard game-controller layout: the axes and buttons every mapped
// device presents, in SDL's own order.
constexpr int kPadAxisCount = 6;
constexpr int kPadButtonCount = 21;

// One connected game controller (or a joystick without a mapping) as read now.
struct PadDevice {
    std::string guid;  // 32 hex digits; the key of the device's own table
    std::string name;
    // A mapping gives the device the standard layout; without one only the
    // raw inputs are known.
    bool mapped = false;
    std::array<int32_t, kPadAxisCount> axes{};  // -32768..32767, triggers 0..32767
    uint32_t buttons = 0;                       // bit n: standard button n held
    std::vector<int32_t> rawAxes;
    std::vector<bool> rawButtons;
};

// The game controllers attached to the machine, read by polling.
class GameControllers {
  public:
    virtual ~GameControllers() = default;
    // Every attached device, in the order the system lists them; a device
    // plugged in or out is seen at the next poll.
    virtual std::vector<PadDevice> Poll() = 0;
};

}  // namespace kelvaron
