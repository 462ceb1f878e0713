#pragma once

#include <filesystem>

namespace kelvaron {

// The desktop program: the title screen, the help and value windows, and the
// runs chosen from the title screen, on the real sound, video, joystick and
// serial devices. `dataDir` holds the data files. Returns the exit code.
int RunDesktop(int argc, char** argv, const std::filesystem::path& dataDir);

}  // namespace kelvaron
