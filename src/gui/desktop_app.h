#pragma once

#include <filesystem>
#include <optional>

namespace kelvaron {

// The desktop program: the title screen, the help and value windows, and the
// runs chosen from the title screen, on the real sound, video, joystick and
// serial devices. `dataDir` is the line folder; without one the program takes
// the folder used last, or the first line of the user's and then the
// system's data folders. Returns the exit code.
int RunDesktop(int argc, char** argv, std::optional<std::filesystem::path> dataDir);

}  // namespace kelvaron
