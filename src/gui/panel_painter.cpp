#include "gui/panel_painter.h"

#include <QtGui/QPainter>
#include <QtGui/QPolygon>
#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {

// Pictures no longer on the panel are dropped once this many are kept.
constexpr size_t kCacheLimit = 256;
// Label widths are all forgotten once this many texts have been measured.
constexpr size_t kWidthLimit = 256;
// The face colour the clock is cleared with before its hands are drawn; the
// clock is transparent, so only the hands show.
constexpr QRgb kButtonFace = 0xFFF0F0F0;

QRect Bounds(const PanelControl& c) {
    return QRect(c.left, c.top, c.width, c.height);
}

}  // namespace

QImage ToImage(const Picture& picture) {
    if (picture.Empty() ||
        picture.pixels.size() < static_cast<size_t>(picture.width) * picture.height) {
        return QImage();
    }
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    const uint32_t* source = picture.pixels.data();
    for (int32_t y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int32_t x = 0; x < picture.width; ++x) line[x] = *source++ | 0xFF000000u;
    }
    return image;
}

namespace {

// The image with its bottom-left colour made fully transparent. Kept
// premultiplied, the form the painter draws from: a needle turned every
// refresh would otherwise be converted again at every turn. Smooth scaling
// needs it too, or the key's colour would bleed into the edges.
QImage KeyedCopy(const QImage& opaque) {
    QImage image = opaque.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    const QRgb key = image.pixel(0, image.height() - 1) & 0x00FFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = (line[x] & 0x00FFFFFF) == key ? 0 : (line[x] | 0xFF000000);
        }
    }
    return image;
}

}  // namespace

QImage ToKeyedImage(const Picture& picture) {
    return KeyedCopy(ToImage(picture));
}

namespace {

QFont LabelFont() {
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    return font;
}

}  // namespace

PanelPainter::PanelPainter() : font_(LabelFont()), metrics_(font_) {}

PanelPainter::Cached& PanelPainter::Entry(const std::shared_ptr<const Picture>& picture) {
    auto it = cache_.find(picture.get());
    if (it == cache_.end()) {
        if (cache_.size() >= kCacheLimit) {
            std::erase_if(cache_,
                          [](const auto& entry) { return entry.second.picture.use_count() == 1; });
        }
        it = cache_.emplace(picture.get(), Cached{picture, {}, {}, {}, {}}).first;
    }
    return it->second;
}

const QImage& PanelPainter::Image(const std::shared_ptr<const Picture>& picture, bool transparent) {
    Cached& cached = Entry(picture);
    QImage& image = transparent ? cached.keyed : cached.opaque;
    if (image.isNull()) image = transparent ? ToKeyedImage(*picture) : ToImage(*picture);
    return image;
}

const QImage& PanelPainter::ScaledImage(const std::shared_ptr<const Picture>& picture,
                                        bool transparent) {
    Cached& cached = Entry(picture);
    QImage& scaled = transparent ? cached.scaledKeyed : cached.scaledOpaque;
    if (scaled.isNull()) {
        const QImage& image = Image(picture, transparent);
        const QSize size(std::max(1, static_cast<int>(std::lround(image.width() * scale_))),
                         std::max(1, static_cast<int>(std::lround(image.height() * scale_))));
        scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(scale_);
    }
    return scaled;
}

void PanelPainter::Paint(QPainter& painter, const PanelModel& panel, const QImage* cabView,
                         const QRegion& area) {
    // The cab is scaled as one picture and never turned.
    const double scale = painter.combinedTransform().m11();
    if (std::abs(scale - scale_) > 1e-9) {
        scale_ = scale;
        for (auto& [key, cached] : cache_) {
            cached.scaledOpaque = QImage();
            cached.scaledKeyed = QImage();
        }
    }
    for (const PanelControl& control : panel.Controls()) {
        if (!control.visible || !area.intersects(Extent(control, scale))) continue;
        painter.save();
        PaintControl(painter, control, panel, cabView);
        painter.restore();
    }
}

QRectF PanelPainter::LabelRect(const PanelControl& control, double scale) const {
    if (!control.autoSize) return QRectF(Bounds(control));
    auto advance = advances_.find(control.text);
    if (advance == advances_.end()) {
        // Texts that change all the time (a clock, a distance) would fill it for good.
        if (advances_.size() >= kWidthLimit) advances_.clear();
        advance = advances_
                      .emplace(control.text,
                               metrics_.horizontalAdvance(QString::fromStdString(control.text)))
                      .first;
    }
    // Glyphs drawn at a larger size may reach a little beyond their advance.
    const double slack = scale == 1.0 ? 0.0 : 1.0;
    return QRectF(control.left, control.top, advance->second + slack, metrics_.height());
}

QRect PanelPainter::Extent(const PanelControl& control, double scale) const {
    if (control.kind == PanelControl::Kind::Label) return LabelRect(control, scale).toAlignedRect();
    return Bounds(control);
}

void PanelPainter::PaintControl(QPainter& painter, const PanelControl& control,
                                const PanelModel& panel, const QImage* cabView) {
    if (control.kind == PanelControl::Kind::Label) {
        PaintLabel(painter, control);
        return;
    }
    if (control.kind == PanelControl::Kind::Needle) {
        PaintNeedle(painter, control);
        return;
    }
    painter.setClipRect(Bounds(control), Qt::IntersectClip);
    if (control.name == "unten") {
        if (cabView != nullptr) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != 1.0);
            painter.drawImage(control.left, control.top, *cabView);
        } else {
            painter.setCompositionMode(QPainter::CompositionMode_Clear);
            painter.fillRect(Bounds(control), Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    if (control.picture && !control.picture->Empty()) {
        // Pictures keep their size: a larger one is cut at the control's edge.
        if (scale_ == 1.0) {
            painter.drawImage(control.left, control.top,
                              Image(control.picture, control.transparent));
        } else {
            painter.drawImage(QPointF(control.left, control.top),
                              ScaledImage(control.picture, control.transparent));
        }
    }
    if (control.name == "clock" && panel.Clock().drawn) PaintClock(painter, control, panel.Clock());
    if (control.name == "back") PaintBackButton(painter, control);
}

void PanelPainter::PaintLabel(QPainter& painter, const PanelControl& control) const {
    painter.setFont(font_);
    const QString text = QString::fromStdString(control.text);
    const QRectF rect = LabelRect(control, scale_);
    painter.setClipRect(rect, Qt::IntersectClip);
    if (qAlpha(control.background) != 0)
        painter.fillRect(rect, QColor::fromRgba(control.background));
    painter.setPen(QColor::fromRgba(control.textColour));
    const int align = (control.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    painter.drawText(rect, align | Qt::TextSingleLine, text);
}

void PanelPainter::PaintNeedle(QPainter& painter, const PanelControl& control) {
    if (!control.picture || control.picture->Empty()) return;
    const QImage& image = Image(control.picture, control.transparent);
    const QRect bounds = Bounds(control);
    painter.setClipRect(bounds, Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != 1.0);
    const QPointF centre = QRectF(bounds).center();
    painter.translate(centre);
    painter.rotate(control.angle % 360);
    painter.drawImage(QPointF(-image.width() / 2.0, -image.height() / 2.0), image);
}

void PanelPainter::PaintClock(QPainter& painter, const PanelControl& control,
                              const ClockHands& hands) const {
    // The face is drawn as the clock picture would be: cleared, hands in
    // black, then shown with its bottom-left colour left out. At a larger
    // scale the face is drawn at that scale, so the hands stay sharp.
    const int width = std::max(control.width, 1), height = std::max(control.height, 1);
    QImage face(static_cast<int>(std::ceil(width * scale_)),
                static_cast<int>(std::ceil(height * scale_)), QImage::Format_RGB32);
    face.fill(kButtonFace);
    {
        QPainter onFace(&face);
        onFace.scale(scale_, scale_);
        onFace.setPen(QPen(Qt::black, 1));
        for (const ClockLine& line : {hands.hour, hands.minute, hands.second}) {
            onFace.drawLine(line.x1, line.y1, line.x2, line.y2);
        }
    }
    QImage shown = control.transparent ? KeyedCopy(face) : face;
    shown.setDevicePixelRatio(scale_);
    painter.drawImage(QPointF(control.left, control.top), shown);
}

void PanelPainter::PaintBackButton(QPainter& painter, const PanelControl& control) {
    const QRect r = Bounds(control).adjusted(0, 0, -1, -1);
    painter.fillRect(r, QColor(200, 200, 200));
    painter.setPen(Qt::white);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(QColor(64, 64, 64));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    // An arrow back to the title screen.
    const QPoint c = r.center();
    const QPolygon arrow(
        {QPoint(c.x() - 5, c.y()), QPoint(c.x() + 4, c.y() - 5), QPoint(c.x() + 4, c.y() + 5)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
}

}  // namespace kelvaron
