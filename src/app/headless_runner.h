#pragma once

#include <string>
#include <vector>

namespace kelvaron {

// `kelvaron --headless ...`: builds a run from the data files, plays a script
// of driver inputs in virtual time as fast as the machine allows, writes the
// trace and prints the run summary. Returns the exit code: 0 after a complete
// run, 1 when start-up or the script fails (the message on stderr), 2 for a
// command line that cannot be understood.
int RunHeadless(const std::vector<std::string>& args);

}  // namespace kelvaron
