#pragma once

#include <functional>

class QKeyEvent;

namespace kelvaron {

// Where the value and help windows send the keys pressed while they have the
// focus: the run window of the current run, when there is one.
struct KeyRoute {
    std::function<void(const QKeyEvent&)> target;

    void Forward(const QKeyEvent& event) const {
        if (target) target(event);
    }
};

}  // namespace kelvaron
