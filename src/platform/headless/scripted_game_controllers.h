#pragma once

#include <vector>

#include "platform/game_controller.h"

namespace kelvaron {

// Game controllers whose readings a script or test sets.
class ScriptedGameControllers : public GameControllers {
  public:
    std::vector<PadDevice> devices;
    std::vector<PadDevice> Poll() override { return devices; }
};

}  // namespace kelvaron
