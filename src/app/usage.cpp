#include "app/usage.h"

#include <iostream>

#include "app/check_command.h"

namespace kelvaron {

void PrintUsage(std::ostream& out) {
    out << "usage:\n"
           "  kelvaron [--data DIR]          the desktop program (line folder: DIR or the last "
           "one)\n"
           "           [--run local|express [--script FILE] [--time-scale N]] [--stats]\n"
           "           [--trace FILE]    (every run is recorded in ~/.local/share/kelvaron/runs/)\n"
           "  kelvaron check --data DIR [--train FILE] [--line FILE] [--dump | --drive]\n"
           "  kelvaron --headless --data DIR (--run local|express | --train F --line F)\n"
           "           [--script FILE] [--trace FILE] [--trace-every refresh|tick]\n"
           "           [--until SECONDS] [--sound-log FILE] [--autopilot]\n"
           "           [--review FILE.svg|.png|.csv]\n"
           "           (--script RECORDING replays a desktop run; refused when its files changed)\n"
           "  kelvaron studio [--data DIR] [LINEFILE | --video VIDEO]\n"
           "  kelvaron studio speed --video V (--gpx G [--offset S] | --flow --span F1:F2:M ...)\n"
           "           [--tolerance KMH]\n"
           "  kelvaron --help | --version\n";
}

int Usage() {
    PrintUsage(std::cerr);
    return kUsageExitCode;
}

}  // namespace kelvaron
