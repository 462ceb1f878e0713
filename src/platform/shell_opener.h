#pragma once

#include <filesystem>

namespace kelvaron {

// The desktop's "open with the default application" action.
class ShellOpener {
  public:
    virtual ~ShellOpener() = default;
    // False when the desktop has no application to open it with.
    virtual bool Open(const std::filesystem::path& document) = 0;
};

}  // namespace kelvaron
