#pragma once

#include <QtCore/Qt>

namespace kelvaron {

// The virtual-key code the run's key handlers know for a Qt key (F1 = 112,
// Enter = 13, Scroll Lock = 145, letters and digits as their upper-case
// character); 0 for keys that have none.
int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// True when Shift is held and Ctrl, Alt and Meta are not.
bool ShiftOnly(Qt::KeyboardModifiers modifiers);

// Turns wheel movement into handle steps. A mouse wheel moves in notches of
// 120 and every notch event is one step, whatever its size; the finer events
// of touchpads and free-spinning wheels add up to a step first.
class WheelSteps {
  public:
    static constexpr int kNotch = 120;

    // +1 for a step away from the player (toward brake), -1 toward the player,
    // 0 while fine movement is still adding up.
    int Add(int angleDelta);

  private:
    int pending_ = 0;
};

}  // namespace kelvaron
