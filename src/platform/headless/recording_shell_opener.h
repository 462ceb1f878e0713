#pragma once

#include <filesystem>
#include <vector>

#include "platform/shell_opener.h"

namespace kelvaron {

// Records the documents it was asked to open instead of opening them.
// `opens` false stands for a desktop without a browser.
class RecordingShellOpener : public ShellOpener {
  public:
    std::vector<std::filesystem::path> opened;
    bool opens = true;
    bool Open(const std::filesystem::path& document) override {
        opened.push_back(document);
        return opens;
    }
};

}  // namespace kelvaron
