#pragma once

#include <filesystem>
#include <optional>

namespace kelvaron {

// Where a companion program or module of this program is: beside it (a build
// folder, or every program in bin/), else in ../libexec/kelvaron/ (an
// installation that keeps helpers out of the PATH). Empty when neither holds it.
std::optional<std::filesystem::path> FindCompanionFile(const char* name);

// Replaces this process with the companion program `name`, passing it this
// program's arguments. Returns only on failure, with the reason on stderr and
// the exit code to end with.
int HandOverTo(const char* name, char** argv);

}  // namespace kelvaron
