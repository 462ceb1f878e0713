#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace kelvaron {

// `kelvaron --headless ...`: builds a run from the data files, plays a script
// of driver inputs in virtual time as fast as the machine allows, writes the
// trace and prints the run summary. Returns the exit code: 0 after a complete
// run, 1 when start-up or the script fails (the message on stderr), 2 for a
// command line that cannot be understood.
int RunHeadless(const std::vector<std::string>& args);

// `kelvaron check ... --drive`: the automatic driver over the whole line,
// headless, then the run summary and the driver's report on `out`. Returns 0
// when the driver had nothing to report, 1 when it had or the run could not
// be built (the message on stderr).
int DriveLineHeadless(const std::filesystem::path& dataDir, const std::string& train,
                      const std::string& line, std::ostream& out);

}  // namespace kelvaron
