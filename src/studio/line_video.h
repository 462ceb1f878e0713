#pragma once

#include <filesystem>
#include <string>

namespace kelvaron {

// The video a line names, found as start-up finds it: the labels file's video
// folder, the line's [DataName] and ".avi". Without a readable labels file the
// folder is the data folder itself.
std::filesystem::path LineVideoPath(const std::filesystem::path& dataDir,
                                    const std::string& dataName);

}  // namespace kelvaron
