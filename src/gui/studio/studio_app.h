#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kelvaron {

// `kelvaron studio [--data DIR] [LINEFILE | --video VIDEO]`: the line studio on
// its own, with test drives in the run window on the real devices. Opens the
// line file of the data folder, or makes a new one for the video (its file
// named after the video, or that file opened when it exists). Returns the
// exit code.
int RunStudio(int argc, char** argv, const std::filesystem::path& dataDir,
              const std::optional<std::string>& lineFile,
              const std::optional<std::filesystem::path>& video);

}  // namespace kelvaron
