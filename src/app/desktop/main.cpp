#include <filesystem>
#include <string>
#include <vector>

#include "app/usage.h"
#include "gui/desktop_app.h"

// The program with the desktop stack (widgets, OpenAL, SDL, the serial port).
// `kelvaron` hands every mode that opens windows over to it.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path dataDir = ".";
    if (args.size() == 2 && args[0] == "--data") {
        dataDir = args[1];
    } else if (!args.empty()) {
        return kelvaron::Usage();
    }
    return kelvaron::RunDesktop(argc, argv, dataDir);
}
