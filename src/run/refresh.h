#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "run/run_context.h"
#include "run/value_window.h"

namespace kelvaron {

// What the refresh needs beyond the run itself: the windows it writes to and
// the window's controller polling. Every member may be left empty.
struct RefreshExtras {
    ValueWindowModel* valueWindow = nullptr;
    std::string* windowCaption = nullptr;
    bool commentaryMode = false;
    std::filesystem::path dataDir;
    std::function<void()> scanJoystick;
    // Told, once per refresh that failed, what ended it.
    std::function<void(const std::string&)> reportFault;
};

// One step of the refresh, named after what it does.
struct RefreshStep {
    const char* name;
    void (*run)(RunContext& run, RefreshExtras& extras);
    // The step decides how the train moves or when the protection brakes it
    // (rather than what the driver sees and hears).
    bool movesTrain = false;
};

// The refresh's steps in their fixed order.
std::span<const RefreshStep> RefreshSteps();

// The 100 ms refresh: brings the panel, sounds and track events up to date
// with the run state, in a fixed order. A step that fails ends that refresh
// (reported through the extras); the next refresh starts from its first step.
void Timer1Timer(RunContext& run, RefreshExtras& extras);

// The refresh as far as it moves the train: the steps marked movesTrain, in
// their order. A copy of the run looking ahead runs this instead of the whole
// refresh: the speed, position, brakes and protection come out the same.
void TrainMotionRefresh(RunContext& run);

}  // namespace kelvaron
