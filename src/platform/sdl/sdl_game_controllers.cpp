#include "platform/sdl/sdl_game_controllers.h"

#include <SDL.h>

namespace kelvaron {

namespace {

SDL_GameController* Controller(void* p) {
    return static_cast<SDL_GameController*>(p);
}
SDL_Joystick* Joystick(void* p) {
    return static_cast<SDL_Joystick*>(p);
}

void Close(void* controller, void* joystick) {
    // A controller holds its joystick: closing it closes both.
    if (controller != nullptr) {
        SDL_GameControllerClose(Controller(controller));
    } else if (joystick != nullptr) {
        SDL_JoystickClose(Joystick(joystick));
    }
}

}  // namespace

SdlGameControllers::SdlGameControllers(const std::filesystem::path& userMappings) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    initialised_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!initialised_) return;
    SDL_GameControllerEventState(SDL_IGNORE);
    std::error_code ignored;
    if (std::filesystem::is_regular_file(userMappings, ignored)) {
        // A broken line is skipped by SDL; the good ones still count.
        SDL_GameControllerAddMappingsFromFile(userMappings.c_str());
    }
}

SdlGameControllers::~SdlGameControllers() {
    for (auto& [id, device] : opened_) Close(device.controller, device.joystick);
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlGameControllers::CloseDetached() {
    for (auto it = opened_.begin(); it != opened_.end();) {
        if (SDL_JoystickGetAttached(Joystick(it->second.joystick))) {
            ++it;
            continue;
        }
        Close(it->second.controller, it->second.joystick);
        it = opened_.erase(it);
    }
}

std::vector<PadDevice> SdlGameControllers::Poll() {
    std::vector<PadDevice> devices;
    if (!initialised_) return devices;
    SDL_GameControllerUpdate();
    CloseDetached();
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        auto it = opened_.find(id);
        if (it == opened_.end()) {
            Opened device;
            if (SDL_IsGameController(index)) {
                device.controller = SDL_GameControllerOpen(index);
                if (device.controller != nullptr) {
                    device.joystick = SDL_GameControllerGetJoystick(Controller(device.controller));
                }
            } else {
                device.joystick = SDL_JoystickOpen(index);
            }
            if (device.joystick == nullptr) continue;
            it = opened_.emplace(id, device).first;
            SDL_GameControllerUpdate();
        }
        SDL_Joystick* joystick = Joystick(it->second.joystick);
        PadDevice pad;
        char guid[33] = {};
        SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(joystick), guid, sizeof guid);
        pad.guid = guid;
        if (SDL_GameController* controller = Controller(it->second.controller)) {
            pad.mapped = true;
            if (const char* name = SDL_GameControllerName(controller)) pad.name = name;
            for (int a = 0; a < kPadAxisCount; ++a) {
                pad.axes[static_cast<size_t>(a)] =
                    SDL_GameControllerGetAxis(controller, static_cast<SDL_GameControllerAxis>(a));
            }
            for (int b = 0; b < kPadButtonCount; ++b) {
                if (SDL_GameControllerGetButton(controller,
                                                static_cast<SDL_GameControllerButton>(b))) {
                    pad.buttons |= 1u << b;
                }
            }
        } else if (const char* name = SDL_JoystickName(joystick)) {
            pad.name = name;
        }
        for (int a = 0; a < SDL_JoystickNumAxes(joystick); ++a) {
            pad.rawAxes.push_back(SDL_JoystickGetAxis(joystick, a));
        }
        for (int b = 0; b < SDL_JoystickNumButtons(joystick); ++b) {
            pad.rawButtons.push_back(SDL_JoystickGetButton(joystick, b) != 0);
        }
        devices.push_back(std::move(pad));
    }
    return devices;
}

}  // namespace kelvaron
