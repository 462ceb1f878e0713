#include "panel_art.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "data_path_names.h"
#include "qt_art.h"

namespace kelvaron::demo {

namespace {

// Transparent panel pictures leave their bottom-left colour undrawn; the
// needles and lamps are drawn on this key colour without smoothing so that no
// pixel is a blend of the key and the picture.
const QColor kKey(255, 0, 255);
const QColor kDesk(58, 60, 66);

QPointF Polar(double cx, double cy, double r, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

class Saver {
  public:
    Saver(const std::filesystem::path& outDir, std::string& error)
        : outDir_(outDir), error_(error) {}
    bool Bmp(const QImage& image, const std::string& name) {
        if (SaveBmp(image, DataFile(outDir_, name))) return true;
        error_ = name;
        return false;
    }

  private:
    const std::filesystem::path& outDir_;
    std::string& error_;
};

void DrawDial(QPainter& p, const Dial& d, int panelTop, bool lit) {
    const double cx = d.cx, cy = d.cy - panelTop, r = d.radius;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(30, 30, 32), 1));
    p.setBrush(QColor(150, 152, 156));
    p.drawEllipse(QPointF(cx, cy), r + 4, r + 4);
    p.setBrush(lit ? QColor(255, 226, 168) : QColor(232, 232, 226));
    p.drawEllipse(QPointF(cx, cy), r, r);
    const QColor ink = lit ? QColor(70, 40, 10) : QColor(20, 20, 24);
    for (double v = 0; v <= d.maximum + 1e-6; v += d.minorStep) {
        const double angle = d.zeroAngle + d.scale * v / d.faceUnit;
        const bool major = std::fmod(v + 1e-6, d.majorStep) < 1e-3;
        const double inner = r - (major ? 0.2 * r : 0.1 * r);
        p.setPen(QPen(ink, major ? 1.6 : 0.8));
        p.drawLine(Polar(cx, cy, r - 2, angle), Polar(cx, cy, inner, angle));
        if (std::fmod(v + 1e-6, d.labelStep) < 1e-3) {
            const QPointF at = Polar(cx, cy, r * 0.64, angle);
            DrawCentred(p, QRectF(at.x() - 14, at.y() - 6, 28, 12),
                        QString::number(v / d.labelDivisor),
                        JapaneseFont(std::max(8, d.radius / 4)), ink);
        }
    }
    // A red band on the speedometer above the line's top speed.
    if (d.unit == "km/h") {
        p.setPen(QPen(QColor(200, 30, 30), 3));
        const double a0 = d.zeroAngle + d.scale * 110, a1 = d.zeroAngle + d.scale * 160;
        p.drawArc(QRectF(cx - r + 4, cy - r + 4, 2 * r - 8, 2 * r - 8),
                  static_cast<int>((90 - a1) * 16), static_cast<int>((a1 - a0) * 16));
    }
    // The big dial names its reading above the hub and its unit below; the
    // small ones name theirs at the bottom, between the end marks.
    const int small = std::max(8, d.radius / 4);
    if (d.radius >= 50) {
        DrawCentred(p, QRectF(cx - r, cy - r * 0.5, 2 * r, small + 2), Text(d.title),
                    JapaneseFont(small), ink);
        DrawCentred(p, QRectF(cx - r, cy + r * 0.28, 2 * r, small + 2), Text(d.unit),
                    JapaneseFont(small), ink);
    } else {
        DrawCentred(p, QRectF(cx - r, cy + r * 0.66 - small / 2.0, 2 * r, small + 2), Text(d.title),
                    JapaneseFont(small), ink);
    }
}

void DrawDesk(QPainter& p, const CabDesign& c, bool lit) {
    const int w = c.panelWidth, h = c.panelHeight;
    QLinearGradient shade(0, 0, 0, h);
    shade.setColorAt(0, lit ? QColor(44, 44, 50) : QColor(72, 74, 80));
    shade.setColorAt(1, lit ? QColor(26, 26, 30) : QColor(44, 46, 50));
    p.fillRect(0, 0, w, h, shade);
    p.setPen(QColor(110, 112, 118));
    p.drawLine(0, 0, w, 0);
    p.setPen(QColor(24, 24, 26));
    p.drawLine(0, 1, w, 1);
    // Screws and the seams of the desk's plates.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int x : {6, w - 7}) {
        for (int y : {8, h - 8}) {
            p.setBrush(QColor(120, 122, 126));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(x, y), 2.5, 2.5);
        }
    }
    p.setPen(QColor(36, 36, 40));
    p.drawLine(150, 24, 150, h - 6);
    p.drawLine(396, 24, 396, h - 6);
    // Unlit lamps under the lamp pictures.
    for (const LampPlace& lamp : c.lamps) {
        const QRectF box(lamp.left, lamp.top - c.panelTop, 26, 14);
        p.setPen(QColor(20, 20, 20));
        p.setBrush(QColor(34, 34, 36));
        p.drawRoundedRect(box, 3, 3);
        DrawCentred(p, box, Text(lamp.label), JapaneseFont(9), QColor(96, 96, 100));
    }
    for (const Dial& d : c.dials) DrawDial(p, d, c.panelTop, lit);
    // Recesses for the notch and gear pictures and the clock's plate.
    for (const IndicatorPlace* place : {&c.notchP, &c.notchB, &c.gear}) {
        if (place->labels.empty()) continue;
        p.setPen(QColor(100, 100, 104));
        p.setBrush(Qt::black);
        p.drawRect(QRectF(place->left - 2, place->top - c.panelTop - 2, place->width + 3,
                          place->height + 3));
    }
    p.setPen(QColor(140, 142, 146));
    p.setBrush(QColor(90, 92, 96));
    p.drawRoundedRect(QRectF(c.clockX - 29, c.clockY - 29 - c.panelTop, 58, 58), 6, 6);
    p.setPen(QColor(20, 20, 20));
    p.drawRect(QRectF(c.clockX - 26, c.clockY - 26 - c.panelTop, 51, 51));
}

QImage Lamp(const LampPlace& lamp) {
    QImage image = NewImage(26, 14, kKey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(20, 20, 20));
    p.setBrush(QColor::fromRgb(lamp.colour));
    p.drawRoundedRect(QRect(0, 0, 25, 13), 3, 3);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawCentred(p, QRectF(0, 0, 26, 14), Text(lamp.label), JapaneseFont(9, true),
                QColor(20, 20, 20));
    return image;
}

QImage Needle(int size, QColor colour, bool longNeedle) {
    QImage image = NewImage(size, size, kKey);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const double c = size / 2.0;
    const double length = c - (longNeedle ? 7 : 5);
    const double half = longNeedle ? 2.2 : 1.6;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const QPointF shape[] = {{c - half, c + (longNeedle ? 10 : 6)},
                             {c - half * 0.5, c - length},
                             {c + half * 0.5, c - length},
                             {c + half, c + (longNeedle ? 10 : 6)}};
    p.drawPolygon(shape, 4);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(c, c), longNeedle ? 5 : 3.5, longNeedle ? 5 : 3.5);
    return image;
}

// One picture of a notch or gear list: a bar of lit steps and the notch's
// name on black, which the panel's black recess shows through.
QImage Indicator(const IndicatorPlace& place, size_t index, bool brake) {
    QImage image = NewImage(place.width, place.height, Qt::black);
    QPainter p(&image);
    const size_t steps = place.labels.size() - 1;
    const int barWidth = place.width - 30;
    const bool emergency = brake && index == steps;
    for (size_t k = 1; k <= steps; ++k) {
        const double x0 = 2 + barWidth * (k - 1.0) / steps;
        const double x1 = 2 + barWidth * static_cast<double>(k) / steps - 1;
        const QColor on =
            brake ? (k == steps ? QColor(255, 50, 40) : QColor(255, 170, 40)) : QColor(90, 220, 90);
        p.fillRect(QRectF(x0, 3, x1 - x0, place.height - 6), k <= index ? on : QColor(40, 40, 40));
    }
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QString label = Text(place.labels[index]);
    const int room = place.width - barWidth - 2;
    const int pixels = std::clamp(room / std::max<int>(1, static_cast<int>(label.size())), 7, 11);
    DrawCentred(p, QRectF(barWidth + 2, 0, room, place.height), label, JapaneseFont(pixels, true),
                emergency ? QColor(255, 80, 70) : QColor(240, 240, 240));
    return image;
}

// The plate behind the read-outs at the right of the panel: dark, with a
// frame under each label, wide enough for its longest text ("ブレーキ" in
// the brake notch frame). Its bottom-left pixel is the key colour, and that
// colour appears nowhere else.
QImage ReadoutPlate(int left, int top) {
    QImage image = NewImage(160, 142, QColor(46, 48, 54));
    QPainter p(&image);
    p.setPen(QColor(96, 98, 104));
    p.drawRect(0, 0, 159, 141);
    const QRect frames[] = {{494, 311, 46, 20},  {542, 311, 38, 20}, {582, 311, 56, 20},
                            {494, 335, 141, 22}, {493, 359, 70, 20}, {494, 382, 110, 22},
                            {494, 405, 46, 20},  {542, 415, 74, 20}};
    p.setBrush(QColor(16, 16, 18));
    p.setPen(QColor(90, 92, 96));
    for (const QRect& f : frames) p.drawRect(f.translated(-left, -top));
    image.setPixelColor(0, image.height() - 1, kKey);
    return image;
}

QImage Badge(const std::string& text) {
    QImage image = NewImage(64, 24, QColor(184, 160, 96));
    QPainter p(&image);
    p.setPen(QColor(90, 70, 30));
    p.drawRect(1, 1, 61, 21);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawCentred(p, QRectF(0, 0, 64, 24), Text(text), JapaneseFont(12, true), QColor(50, 36, 10));
    image.setPixelColor(0, image.height() - 1, kKey);
    return image;
}

}  // namespace

bool DrawCabPictures(const std::filesystem::path& outDir, const CabDesign& design,
                     std::string& error) {
    Saver save(outDir, error);
    for (bool lit : {false, true}) {
        QImage desk = NewImage(design.panelWidth, design.panelHeight, kDesk);
        {
            QPainter p(&desk);
            DrawDesk(p, design, lit);
        }
        if (!save.Bmp(desk, lit ? design.panel2 : design.panel)) return false;
    }
    for (const LampPlace& lamp : design.lamps) {
        if (!save.Bmp(Lamp(lamp), lamp.file)) return false;
    }
    if (!save.Bmp(Needle(design.dials[0].radius * 2, QColor(24, 24, 24), true), kNeedleLong) ||
        !save.Bmp(Needle(design.dials[1].radius * 2, QColor(16, 16, 16), false), kNeedleBlack) ||
        !save.Bmp(Needle(design.dials[1].radius * 2, QColor(220, 30, 30), false), kNeedleRed)) {
        return false;
    }
    for (const auto* place : {&design.notchP, &design.notchB, &design.gear}) {
        for (size_t i = 0; i < place->labels.size(); ++i) {
            if (!save.Bmp(Indicator(*place, i, place == &design.notchB), place->files[i])) {
                return false;
            }
        }
    }
    return save.Bmp(ReadoutPlate(design.others[0].left, design.others[0].top),
                    design.others[0].file) &&
           save.Bmp(Badge(design.badge), design.others[1].file);
}

}  // namespace kelvaron::demo
