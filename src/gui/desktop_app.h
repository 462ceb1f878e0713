#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kelvaron {

struct DesktopOptions {
    // The line folder; none: the one used last (see RunDesktop).
    std::optional<std::filesystem::path> dataDir;
    // A run ("local" or "express") opened at once, as if chosen on the title screen.
    std::optional<std::string> run;
    // A runner script played into that run on the wall clock; the program
    // ends when the run closes.
    std::optional<std::filesystem::path> script;
    // How the cab view kept up, printed when the program ends.
    bool stats = false;
    // The run goes this many times faster than real time (measurements).
    int timeScale = 1;
    // Each run writes its trace here, as the headless runner's --trace does.
    std::optional<std::filesystem::path> trace;
};

// The desktop program: the title screen, the help and value windows, and the
// runs chosen from the title screen, on the real sound, video, joystick and
// serial devices. Without a line folder the program takes the folder used
// last, or the first line of the user's and then the system's data folders.
// Returns the exit code.
int RunDesktop(int argc, char** argv, const DesktopOptions& options);

}  // namespace kelvaron
