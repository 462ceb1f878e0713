#pragma once

#include "platform/shell_opener.h"

namespace kelvaron {

// Opens a document with the desktop's default application.
class QtShellOpener : public ShellOpener {
  public:
    bool Open(const std::filesystem::path& document) override;
};

}  // namespace kelvaron
