#include "gui/script_player.h"

#include <algorithm>
#include <type_traits>

#include "gui/run_window_widget.h"

namespace kelvaron {

ScriptPlayer::ScriptPlayer(RunWindowWidget& window, std::vector<ScriptEvent> events)
    : window_(window), events_(std::move(events)), startMs_(window.RunClock()) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { PlayDue(); });
    timer_.start(0);
}

void ScriptPlayer::PlayDue() {
    const int64_t now = window_.RunClock() - startMs_;
    while (next_ < events_.size() && events_[next_].timeMs <= now) {
        const ScriptAction action = events_[next_++].action;
        if (std::holds_alternative<ScriptClose>(action)) {
            next_ = events_.size();
            window_.close();
            break;
        }
        window_.Play(action);
    }
    if (next_ >= events_.size()) {
        if (onFinished) onFinished();
        return;
    }
    const int64_t wait = (events_[next_].timeMs - now) / window_.timeScale;
    timer_.start(static_cast<int>(std::clamp<int64_t>(wait, 0, 1000)));
}

}  // namespace kelvaron
