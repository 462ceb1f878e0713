#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/shell_opener.h"
#include "shell/run_window.h"

class QSettings;

namespace kelvaron {

class ControllerWindow;
struct SerialSettings;

// What the windows of the desktop program use besides the run's own services.
struct GuiServices {
    PlatformServices run;
    ShellOpener& shell;
    // The serial port's line settings, edited by the Controller menu; null when
    // the port has none to edit (tests).
    SerialSettings* serialSettings = nullptr;
    // The game controllers' window of the Controller menu; null in tests that
    // have none.
    ControllerWindow* controllerWindow = nullptr;
    // Where the desktop keeps the window sizes and places it remembers; null:
    // nothing is remembered.
    QSettings* desktopSettings = nullptr;
    // Shared by every run the windows open.
    std::shared_ptr<ProgramSettings> program = std::make_shared<ProgramSettings>();
    // Where each run is recorded; none: runs are not recorded (tests).
    std::optional<std::filesystem::path> recordings = std::nullopt;
    // Where each run writes its trace, as the headless runner's --trace.
    std::optional<std::filesystem::path> trace = std::nullopt;
};

}  // namespace kelvaron
