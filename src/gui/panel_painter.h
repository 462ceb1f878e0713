#pragma once

#include <QtGui/QFont>
#include <QtGui/QImage>
#include <memory>
#include <unordered_map>

#include "common/picture.h"
#include "data/panel_model.h"

class QPainter;

namespace kelvaron {

// A picture as a Qt image, all pixels opaque.
QImage ToImage(const Picture& picture);
// A picture as a Qt image whose pixels of the colour-key (the picture's
// bottom-left colour) are fully transparent.
QImage ToKeyedImage(const Picture& picture);

// Draws the cab panel model: every visible control in its order, the cab view
// in the place of "unten", the clock hands over "clock", needles turned
// clockwise about their centre by their angle, and the colour-key of the
// transparent pictures left undrawn. Converted pictures are kept between
// paints while the panel still uses them.
class PanelPainter {
  public:
    PanelPainter();

    void Paint(QPainter& painter, const PanelModel& panel, const QImage& cabView);

    // The font of the panel's labels.
    const QFont& Font() const { return font_; }

  private:
    struct Cached {
        std::shared_ptr<const Picture> picture;  // keeps the key address unused by others
        QImage opaque, keyed;
    };
    const QImage& Image(const std::shared_ptr<const Picture>& picture, bool transparent);
    void PaintControl(QPainter& painter, const PanelControl& control, const PanelModel& panel,
                      const QImage& cabView);
    void PaintLabel(QPainter& painter, const PanelControl& control) const;
    void PaintNeedle(QPainter& painter, const PanelControl& control);
    static void PaintClock(QPainter& painter, const PanelControl& control, const ClockHands& hands);
    static void PaintBackButton(QPainter& painter, const PanelControl& control);

    QFont font_;
    std::unordered_map<const Picture*, Cached> cache_;
};

}  // namespace kelvaron
