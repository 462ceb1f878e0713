#pragma once

#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace kelvaron {

// Where the automatic driver could not do what a driver must, or what the line
// made impossible, with the reason: what a line author reads to mend a line.
struct DriveFinding {
    int32_t clock = 0;       // run clock, 1/30 s
    long double metres = 0;  // from the line's start
    std::string place;       // "between 北浜 and 桜台" or "at 桜台"
    std::string text;
};

class DriveReport {
  public:
    // Adds a finding unless one with the same key was made already.
    void Add(const std::string& key, DriveFinding finding);
    const std::vector<DriveFinding>& Findings() const { return findings_; }
    bool Empty() const { return findings_.empty(); }

    void Print(std::ostream& out) const;

  private:
    std::set<std::string> keys_;
    std::vector<DriveFinding> findings_;
};

}  // namespace kelvaron
