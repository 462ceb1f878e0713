#pragma once

#include <filesystem>
#include <map>

#include "platform/game_controller.h"

namespace kelvaron {

// Game controllers through SDL's game-controller layer: SDL's built-in
// mappings, those in SDL_GAMECONTROLLERCONFIG, and the user's own file of
// mappings (gamecontrollerdb.txt, one SDL mapping a line) when it exists.
// Joysticks without a mapping are listed with their raw inputs only.
class SdlGameControllers : public GameControllers {
  public:
    explicit SdlGameControllers(const std::filesystem::path& userMappings);
    ~SdlGameControllers() override;
    SdlGameControllers(const SdlGameControllers&) = delete;
    SdlGameControllers& operator=(const SdlGameControllers&) = delete;

    std::vector<PadDevice> Poll() override;

  private:
    struct Opened {
        void* controller = nullptr;  // SDL_GameController, null without a mapping
        void* joystick = nullptr;    // SDL_Joystick
    };
    void CloseDetached();

    bool initialised_ = false;
    std::map<int32_t, Opened> opened_;  // by SDL's instance id
};

}  // namespace kelvaron
