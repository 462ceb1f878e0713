#pragma once

#include <array>
#include <string>

namespace kelvaron {

// The texts of the labels and paths file: handle and reverser labels, the
// kind of the next stop, and the folder of the cab-view video. Empty until read.
struct Labels {
    std::string Path;
    std::string Forward, Neutral, Reverse;
    std::string Stop, Pass, Stop2;
    std::string Neut, Neut2;
    std::string Apply, Maintain, Hold, Hold2;
    std::string EB;
};

}  // namespace kelvaron
