#pragma once

#include <filesystem>

namespace kelvaron {

// The desktop's "open with the default application" action.
class ShellOpener {
  public:
    virtual ~ShellOpener() = default;
    virtual void Open(const std::filesystem::path& document) = 0;
};

}  // namespace kelvaron
