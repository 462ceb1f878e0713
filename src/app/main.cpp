#include <iostream>
#include <string>
#include <vector>

#include "app/check_command.h"

namespace {

int Usage() {
    std::cerr << "usage:\n"
                 "  kelvaron check --data DIR [--train FILE] [--line FILE] [--dump]\n"
                 "  kelvaron --headless --data DIR (--run local|express | --train F --line F)\n"
                 "           [--script FILE] [--trace FILE] [--trace-every refresh|tick]\n"
                 "           [--until SECONDS] [--sound-log FILE]\n";
    return kelvaron::kUsageExitCode;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    if (args[0] == "check") {
        int code = kelvaron::RunCheckCommand({args.begin() + 1, args.end()});
        return code == kelvaron::kUsageExitCode ? Usage() : code;
    }
    std::cerr << "kelvaron: '" << args[0] << "' is not built yet\n";
    return 2;
}
