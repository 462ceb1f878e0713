#pragma once

#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>

namespace kelvaron::test {

// The one application object of a widget test program (the offscreen
// platform is chosen by the test runner's environment). It is never destroyed:
// at process exit Qt's own globals may already be gone.
QApplication& GuiApp();

// Runs the event loop until `done` or, on a machine under load, five seconds
// have passed.
template <class Done>
bool WaitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace kelvaron::test
