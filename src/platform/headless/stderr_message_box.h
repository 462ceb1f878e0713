#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace kelvaron {

// Headless messages: written to standard error and kept for tests.
class StderrMessageBox : public MessageBox {
  public:
    std::vector<std::string> shown;
    bool echo = true;
    void Show(std::string_view text) override {
        shown.emplace_back(text);
        if (echo) std::cerr << text << '\n';
    }
};

}  // namespace kelvaron
