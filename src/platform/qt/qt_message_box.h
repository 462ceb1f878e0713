#pragma once

#include "platform/message_box.h"

class QWidget;

namespace kelvaron {

// A modal message box with an OK button, captioned with the application's name.
class QtMessageBox : public MessageBox {
  public:
    // Centred over this window when it is shown; null centres on the screen.
    QWidget* parent = nullptr;

    void Show(std::string_view text) override;
};

}  // namespace kelvaron
