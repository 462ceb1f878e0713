#pragma once

#include <QtCore/QRect>
#include <QtGui/QFont>
#include <QtGui/QFontMetricsF>
#include <QtGui/QImage>
#include <QtGui/QRegion>
#include <memory>
#include <string>
#include <unordered_map>

#include "common/picture.h"
#include "data/panel_model.h"

class QPainter;

namespace kelvaron {

// A picture as a Qt image, all pixels opaque.
QImage ToImage(const Picture& picture);
// A picture as a premultiplied Qt image whose pixels of the colour-key (the
// picture's bottom-left colour) are fully transparent.
QImage ToKeyedImage(const Picture& picture);

// Draws the cab panel model: every visible control in its order, the cab view
// in the place of "unten", the clock hands over "clock", needles turned
// clockwise about their centre by their angle, and the colour-key of the
// transparent pictures left undrawn. The painter may scale the cab to any
// size: pictures are then scaled smoothly once per size and kept, and text and
// lines are drawn at the scaled size rather than enlarged.
class PanelPainter {
  public:
    PanelPainter();

    // Paints the controls that reach into `area` (cab pixels). With a cab
    // view, "unten" shows it; without one, "unten" is left fully transparent
    // so that a video drawn beneath the result shows through.
    void Paint(QPainter& painter, const PanelModel& panel, const QImage* cabView,
               const QRegion& area);
    void Paint(QPainter& painter, const PanelModel& panel, const QImage& cabView) {
        Paint(painter, panel, &cabView, QRect(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21));
    }

    // The cab pixels a control may draw on at this scale (labels that size
    // themselves follow their text).
    QRect Extent(const PanelControl& control, double scale) const;

    // The font of the panel's labels.
    const QFont& Font() const { return font_; }

  private:
    struct Cached {
        std::shared_ptr<const Picture> picture;  // keeps the key address unused by others
        QImage opaque, keyed;
        QImage scaledOpaque, scaledKeyed;  // at `scale_`
    };
    Cached& Entry(const std::shared_ptr<const Picture>& picture);
    const QImage& Image(const std::shared_ptr<const Picture>& picture, bool transparent);
    const QImage& ScaledImage(const std::shared_ptr<const Picture>& picture, bool transparent);
    void PaintControl(QPainter& painter, const PanelControl& control, const PanelModel& panel,
                      const QImage* cabView);
    void PaintLabel(QPainter& painter, const PanelControl& control) const;
    void PaintNeedle(QPainter& painter, const PanelControl& control);
    void PaintClock(QPainter& painter, const PanelControl& control, const ClockHands& hands) const;
    static void PaintBackButton(QPainter& painter, const PanelControl& control);
    QRectF LabelRect(const PanelControl& control, double scale) const;

    QFont font_;
    QFontMetricsF metrics_;
    // Widths of the label texts met so far: measuring a text lays it out, and
    // every refresh asks for the extent of every label.
    mutable std::unordered_map<std::string, double> advances_;
    double scale_ = 1.0;  // device pixels per cab pixel of the painting under way
    std::unordered_map<const Picture*, Cached> cache_;
};

}  // namespace kelvaron
