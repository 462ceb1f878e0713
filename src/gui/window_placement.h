#pragma once

#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QWidget>

namespace kelvaron {

// Places a window in the middle of the screen's free area.
inline void CentreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    window.move(free.center() - QPoint(size.width() / 2, size.height() / 2));
}

}  // namespace kelvaron
