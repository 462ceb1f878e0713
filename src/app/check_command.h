#pragma once

#include <string>
#include <vector>

namespace kelvaron {

// Exit code of a command line that cannot be understood; the caller shows the usage.
constexpr int kUsageExitCode = 2;

// `kelvaron check --data DIR [--train FILE] [--line FILE] [--dump | --drive]`: reads the named
// data files as
// start-up reads them and prints a short summary of each on stdout. Returns
// the exit code: 0 when every file is good, 1 when one is faulty (the system's
// message on stderr), kUsageExitCode when the options are wrong.
int RunCheckCommand(const std::vector<std::string>& args);

}  // namespace kelvaron
