#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/headless_runner.h"
#include "gui/desktop_app.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage:\n"
           "  kelvaron [--data DIR]          the desktop program (data folder: DIR or .)\n"
           "  kelvaron check --data DIR [--train FILE] [--line FILE] [--dump]\n"
           "  kelvaron --headless --data DIR (--run local|express | --train F --line F)\n"
           "           [--script FILE] [--trace FILE] [--trace-every refresh|tick]\n"
           "           [--until SECONDS] [--sound-log FILE]\n"
           "  kelvaron --help | --version\n";
}

// A command line that cannot be understood: the usage goes where errors go,
// so that a script calling the program sees it and the exit status together.
int Usage() {
    PrintUsage(std::cerr);
    return kelvaron::kUsageExitCode;
}

bool Has(const std::vector<std::string>& args, const char* option) {
    return std::find(args.begin(), args.end(), option) != args.end();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (Has(args, "--help") || Has(args, "-h")) {
        PrintUsage(std::cout);
        return 0;
    }
    if (Has(args, "--version")) {
        std::cout << "kelvaron " << KELVARON_VERSION << '\n';
        return 0;
    }
    if (!args.empty() && args[0] == "check") {
        int code = kelvaron::RunCheckCommand({args.begin() + 1, args.end()});
        return code == kelvaron::kUsageExitCode ? Usage() : code;
    }
    if (Has(args, "--headless")) {
        int code = kelvaron::RunHeadless(args);
        return code == kelvaron::kUsageExitCode ? Usage() : code;
    }
    std::filesystem::path dataDir = ".";
    if (args.size() == 2 && args[0] == "--data") {
        dataDir = args[1];
    } else if (!args.empty()) {
        return Usage();
    }
    return kelvaron::RunDesktop(argc, argv, dataDir);
}
