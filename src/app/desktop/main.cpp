#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/desktop/studio_command.h"
#include "app/usage.h"
#include "gui/desktop_app.h"
#include "gui/studio/studio_app.h"

namespace {

// `kelvaron studio [--data DIR] [LINEFILE | --video VIDEO]`.
int RunStudioCommand(int argc, char** argv, const std::vector<std::string>& args) {
    std::filesystem::path dataDir = ".";
    std::optional<std::string> lineFile;
    std::optional<std::filesystem::path> video;
    for (size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--data" && hasValue) {
            dataDir = args[++i];
        } else if (args[i] == "--video" && hasValue) {
            video = args[++i];
        } else if (!args[i].starts_with("--") && !lineFile) {
            lineFile = args[i];
        } else {
            return kelvaron::Usage();
        }
    }
    return kelvaron::RunStudio(argc, argv, dataDir, lineFile, video);
}

}  // namespace

// The program with the desktop stack (widgets, OpenAL, SDL, the serial port,
// and the studio's optical flow). `kelvaron` hands every mode that opens
// windows, and the studio's commands, over to it.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "studio" && args[1] == "speed") {
        int code = kelvaron::RunStudioSpeedCommand({args.begin() + 2, args.end()});
        return code == kelvaron::kUsageExitCode ? kelvaron::Usage() : code;
    }
    if (!args.empty() && args[0] == "studio") return RunStudioCommand(argc, argv, args);
    kelvaron::DesktopOptions desktop;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--data" && hasValue) {
            desktop.dataDir = args[++i];
        } else if (args[i] == "--run" && hasValue) {
            desktop.run = args[++i];
        } else if (args[i] == "--script" && hasValue) {
            desktop.script = args[++i];
        } else if (args[i] == "--trace" && hasValue) {
            desktop.trace = args[++i];
        } else if (args[i] == "--stats") {
            desktop.stats = true;
        } else if (args[i] == "--time-scale" && hasValue) {
            desktop.timeScale = std::max(1, std::atoi(args[++i].c_str()));
        } else {
            return kelvaron::Usage();
        }
    }
    if (desktop.script && !desktop.run) return kelvaron::Usage();
    return kelvaron::RunDesktop(argc, argv, desktop);
}
