#include "platform/sdl/sdl_joystick.h"

#include <SDL.h>

namespace kelvaron {

namespace {

SDL_Joystick* Handle(void* p) {
    return static_cast<SDL_Joystick*>(p);
}

constexpr int kButtonCount = 16;

}  // namespace

SdlJoystick::SdlJoystick() {
    // The application handles its own signals; SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Controllers are read while the window is in the background too.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    initialised_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    // States are read by polling; queued events would only pile up unread.
    if (initialised_) SDL_JoystickEventState(SDL_IGNORE);
}

SdlJoystick::~SdlJoystick() {
    if (joystick_ != nullptr) SDL_JoystickClose(Handle(joystick_));
    if (initialised_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

JoystickState SdlJoystick::Poll() {
    JoystickState state;
    if (!initialised_) return state;
    SDL_JoystickUpdate();
    if (joystick_ != nullptr && !SDL_JoystickGetAttached(Handle(joystick_))) {
        SDL_JoystickClose(Handle(joystick_));
        joystick_ = nullptr;
    }
    if (joystick_ == nullptr && SDL_NumJoysticks() > 0) {
        joystick_ = SDL_JoystickOpen(0);
        if (joystick_ != nullptr) SDL_JoystickUpdate();
    }
    if (joystick_ == nullptr) return state;
    SDL_Joystick* joystick = Handle(joystick_);
    const int axes = SDL_JoystickNumAxes(joystick);
    if (axes > 0) state.x = SDL_JoystickGetAxis(joystick, 0);
    if (axes > 1) state.y = SDL_JoystickGetAxis(joystick, 1);
    const int buttons = SDL_JoystickNumButtons(joystick);
    for (int n = 0; n < kButtonCount && n < buttons; ++n) {
        if (SDL_JoystickGetButton(joystick, n) != 0) {
            state.buttons = static_cast<uint16_t>(state.buttons | (1u << n));
        }
    }
    return state;
}

}  // namespace kelvaron
