#pragma once

#include <QtWidgets/QApplication>

namespace kelvaron::test {

// The one application object of a widget test program (the offscreen
// platform is chosen by the test runner's environment). It is never destroyed:
// at process exit Qt's own globals may already be gone.
QApplication& GuiApp();

}  // namespace kelvaron::test
