#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvaron {

// The title screen's four picture buttons, top to bottom of their reveal order.
enum class TitleButton { Express, Local, Help, Quit };

// The opening of the title screen as a model: the opening movie, its skip, and
// the buttons revealed one after another by the 100 ms timer.
class TitleSequence {
  public:
    static constexpr int32_t kMovieLimitTicks = 1110;  // 111 s

    // `movieNamed`: the player was given a movie file (it exists beside the program).
    explicit TitleSequence(bool movieNamed) : movieNamed_(movieNamed) {}

    // The 100 ms timer. True when it skipped the movie on this tick.
    bool Tick();
    // A click on the movie, or the timer's own skip: the title picture appears
    // and the buttons are revealed again from the start.
    void Skip();
    // A run was chosen: the timer stops and every button is shown.
    void Stop();

    bool TimerEnabled() const { return timerEnabled_; }
    bool MovieShown() const { return movieShown_; }
    bool ButtonShown(TitleButton button) const { return shown_[static_cast<size_t>(button)]; }
    int32_t Ticks() const { return ticks_; }

  private:
    bool movieNamed_;
    bool movieShown_ = true;
    bool timerEnabled_ = true;
    int32_t ticks_ = 0;
    std::array<bool, 4> shown_{};
};

}  // namespace kelvaron
