#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "gui/gui_services.h"
#include "gui/key_route.h"
#include "studio/cached_picture_loader.h"

namespace kelvaron {

class HelpWindowWidget;
class RunWindowWidget;
class StudioWindow;
class ValueWindowWidget;

// The studio window on one line of a data folder, with its test drives in the
// normal run window on the program's devices; the studio comes back when the
// run window closes.
class StudioSession {
  public:
    StudioSession(GuiServices services, KeyRoute& keys, ValueWindowWidget& values,
                  HelpWindowWidget& help, std::filesystem::path dataDir);
    ~StudioSession();
    StudioSession(const StudioSession&) = delete;
    StudioSession& operator=(const StudioSession&) = delete;

    // Opens line file `fileName` of the data folder, or, when it does not exist
    // and `video` is given, a new line for that video. False with the reason
    // when the line cannot be read.
    bool Open(const std::string& fileName, const std::optional<std::filesystem::path>& video,
              std::string& error);
    StudioWindow* Window() const { return window_.get(); }
    RunWindowWidget* TestRun() const { return run_.get(); }

  private:
    void TestDrive(const std::string& lineFile, std::optional<size_t> station);

    GuiServices services_;
    KeyRoute& keys_;
    ValueWindowWidget& values_;
    HelpWindowWidget& help_;
    std::filesystem::path dataDir_;
    CachedPictureLoader pictures_;
    std::unique_ptr<StudioWindow> window_;
    std::unique_ptr<RunWindowWidget> run_;
    std::string train_;
};

}  // namespace kelvaron
