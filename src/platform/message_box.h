#pragma once

#include <string_view>

namespace kelvaron {

// Shows a message to the player and waits until it is dismissed.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual void Show(std::string_view text) = 0;
};

}  // namespace kelvaron
