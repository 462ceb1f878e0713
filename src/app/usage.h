#pragma once

#include <iosfwd>

namespace kelvaron {

// The command lines the program understands.
void PrintUsage(std::ostream& out);

// A command line that cannot be understood: the usage goes where errors go,
// so that a script calling the program sees it and the exit status together.
// Returns the exit code for it.
int Usage();

}  // namespace kelvaron
