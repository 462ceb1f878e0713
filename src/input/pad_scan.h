#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "input/pad_mapping.h"
#include "input/posted_input.h"
#include "platform/game_controller.h"
#include "run/run_context.h"

namespace kelvaron {

// Reads a game controller through its table. An axis acts only when the
// handle position it gives changes, so the keyboard can move the handle in
// between (the controller's next move overrides it again); a button gives its
// driving key once when pressed.
class PadScanner {
  public:
    void Scan(RunContext& run, const PadDevice& device, const PadProfile& profile,
              PostedInputQueue& posted);

  private:
    std::string guid_;
    std::array<std::optional<HandlePosition>, kPadAxisCount> last_{};
    uint32_t lastButtons_ = 0;
};

}  // namespace kelvaron
