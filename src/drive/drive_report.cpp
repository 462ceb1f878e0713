#include "drive/drive_report.h"

#include <cstdio>

#include "sim/run_clock.h"

namespace kelvaron {

void DriveReport::Add(const std::string& key, DriveFinding finding) {
    if (!keys_.insert(key).second) return;
    findings_.push_back(std::move(finding));
}

void DriveReport::Print(std::ostream& out) const {
    out << "Automatic driver\n";
    if (findings_.empty()) {
        out << "  drove the line as a driver must: nothing to report\n";
        return;
    }
    for (const DriveFinding& f : findings_) {
        char metres[32];
        std::snprintf(metres, sizeof metres, "%.0Lf m", f.metres);
        out << "  " << timecalc(f.clock) << ", " << metres << " " << f.place << ": " << f.text
            << '\n';
    }
}

}  // namespace kelvaron
