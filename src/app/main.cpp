#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/headless_runner.h"
#include "app/program_handover.h"
#include "app/usage.h"

namespace {

bool Has(const std::vector<std::string>& args, const char* option) {
    return std::find(args.begin(), args.end(), option) != args.end();
}

}  // namespace

// The command users type. The modes that open no window run here, in a program
// that links only the core and the services they use; the modes with windows
// run in `kelvaron-desktop`, which this program becomes. A headless run or a
// check so never loads the widget, sound-device and joystick libraries, which
// would cost more start-up time than the whole run set-up.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (Has(args, "--help") || Has(args, "-h")) {
        kelvaron::PrintUsage(std::cout);
        return 0;
    }
    if (Has(args, "--version")) {
        std::cout << "kelvaron " << KELVARON_VERSION << '\n';
        return 0;
    }
    if (!args.empty() && args[0] == "check") {
        int code = kelvaron::RunCheckCommand({args.begin() + 1, args.end()});
        return code == kelvaron::kUsageExitCode ? kelvaron::Usage() : code;
    }
    if (Has(args, "--headless")) {
        int code = kelvaron::RunHeadless(args);
        return code == kelvaron::kUsageExitCode ? kelvaron::Usage() : code;
    }
    return kelvaron::HandOverTo("kelvaron-desktop", argv);
}
