#pragma once

#include <string>
#include <vector>

namespace kelvaron {

// `kelvaron studio speed --video V (--gpx G [--offset S] | --flow --span F1:F2:METRES ...)
// [--tolerance KMH]`: prints the [SpeedUnit] section for the video on stdout, and how it was
// made on stderr. Returns the exit code: 0 done, 1 when the video, the track or the spans do
// not allow it (the reason on stderr), kUsageExitCode when the options are wrong.
int RunStudioSpeedCommand(const std::vector<std::string>& args);

}  // namespace kelvaron
