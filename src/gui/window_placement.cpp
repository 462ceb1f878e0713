#include "gui/window_placement.h"

#include <QtCore/QSettings>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QWidget>
#include <algorithm>

namespace kelvaron {

namespace {

const QScreen* ScreenOf(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    window.move(free.center() - QPoint(size.width() / 2, size.height() / 2));
}

void KeepOnScreen(QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    const int x =
        std::clamp(window.x(), free.left(), std::max(free.left(), free.right() + 1 - size.width()));
    const int y =
        std::clamp(window.y(), free.top(), std::max(free.top(), free.bottom() + 1 - size.height()));
    window.move(x, y);
}

std::optional<QSize> WindowMemory::CabSize() const {
    if (store_ == nullptr) return std::nullopt;
    const QSize size = store_->value("RunWindow/CabSize").toSize();
    if (!size.isValid() || size.isEmpty()) return std::nullopt;
    return size;
}

void WindowMemory::SetCabSize(QSize size) {
    if (store_ != nullptr) store_->setValue("RunWindow/CabSize", size);
}

bool WindowMemory::FullScreen() const {
    return store_ != nullptr && store_->value("RunWindow/FullScreen", false).toBool();
}

void WindowMemory::SetFullScreen(bool on) {
    if (store_ != nullptr) store_->setValue("RunWindow/FullScreen", on);
}

std::optional<QPoint> WindowMemory::Offset(const QString& window) const {
    if (store_ == nullptr) return std::nullopt;
    const QVariant value = store_->value(window + "/Offset");
    if (!value.isValid() || !value.canConvert<QPoint>()) return std::nullopt;
    return value.toPoint();
}

void WindowMemory::SetOffset(const QString& window, QPoint offset) {
    if (store_ != nullptr) store_->setValue(window + "/Offset", offset);
}

}  // namespace kelvaron
