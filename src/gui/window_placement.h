#pragma once

#include <QtCore/QPoint>
#include <QtCore/QSize>
#include <QtCore/QString>
#include <optional>

class QSettings;
class QWidget;

namespace kelvaron {

// Places a window in the middle of the screen's free area.
void CentreOnScreen(QWidget& window);

// Moves a window so that all of it lies on the screen's free area, as near to
// where it was as it can.
void KeepOnScreen(QWidget& window);

// What the desktop remembers between runs and sessions: the cab's size, the
// full-screen mode, and where the player put the value and help windows
// (measured from the run window's top-left corner). Without a store nothing
// is remembered.
class WindowMemory {
  public:
    explicit WindowMemory(QSettings* store) : store_(store) {}

    std::optional<QSize> CabSize() const;
    void SetCabSize(QSize size);
    bool FullScreen() const;
    void SetFullScreen(bool on);
    std::optional<QPoint> Offset(const QString& window) const;
    void SetOffset(const QString& window, QPoint offset);

  private:
    QSettings* store_;
};

}  // namespace kelvaron
