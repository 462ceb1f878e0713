#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace kelvaron::test {

// A pseudo-terminal pair standing in for a serial adapter: the program opens
// the slave side by its path; the test writes to the master side and hangs it
// up. ok() is false where the machine has no pseudo-terminals.
class PseudoTerminal {
  public:
    PseudoTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 && ptsname(master_))
            path_ = ptsname(master_);
        else
            HangUp();
    }
    ~PseudoTerminal() { HangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& SlavePath() const { return path_; }
    bool Write(std::string_view bytes) {
        return ok() && write(master_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    // As an adapter pulled out: the slave side's reads fail from now on.
    void HangUp() {
        if (ok()) close(master_);
        master_ = -1;
    }

  private:
    int master_;
    std::string path_;
};

}  // namespace kelvaron::test
