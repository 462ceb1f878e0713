#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/gui_services.h"
#include "gui/key_route.h"
#include "gui/studio/studio_window.h"
#include "studio/cached_picture_loader.h"

namespace kelvaron {

class HelpWindowWidget;
class RunWindowWidget;
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
    // The train chooser for the first test drive, given the folder's train
    // files; nothing when cancelled. Tests put their own here.
    std::function<std::optional<std::string>(const std::vector<std::string>& trains)> askForTrain;

  private:
    void TestDrive(const std::string& lineFile, std::optional<size_t> station, TestDriver driver);

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
