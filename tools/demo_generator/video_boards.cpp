#include "video_boards.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "qt_art.h"

namespace kelvaron::demo {

namespace {

// Board sprites keep transparent corners (alpha 0) that the scene skips.
std::shared_ptr<const Picture> Sprite(const QImage& image) {
    return std::make_shared<const Picture>(ToPicture(image));
}

QImage Blank(int w, int h) {
    return NewImage(w, h, QColor(0, 0, 0, 0));
}

std::shared_ptr<const Picture> NameBoard(const StationSite& here, const StationSite* before,
                                         const StationSite* after) {
    QImage image = Blank(240, 96);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(1, 1, 238, 94));
    DrawCentred(p, QRectF(0, 4, 240, 16), Text(here.reading), JapaneseFont(14), QColor(30, 30, 30));
    DrawCentred(p, QRectF(0, 18, 240, 36), Text(here.name), JapaneseFont(32, true),
                QColor(10, 10, 10));
    p.fillRect(QRectF(2, 58, 236, 14), QColor(20, 110, 70));
    DrawCentred(p, QRectF(0, 58, 240, 14), Text(here.roman), JapaneseFont(11, true),
                QColor(250, 250, 250));
    if (before) {
        p.setPen(QColor(30, 30, 30));
        p.setFont(JapaneseFont(11));
        p.drawText(QRectF(6, 74, 110, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   Text("← " + before->name));
    }
    if (after) {
        p.setPen(QColor(30, 30, 30));
        p.setFont(JapaneseFont(11));
        p.drawText(QRectF(124, 74, 110, 18), Qt::AlignRight | Qt::AlignVCenter,
                   Text(after->name + " →"));
    }
    return Sprite(image);
}

std::shared_ptr<const Picture> Square(const std::string& text, QColor background, QColor ink,
                                      int pixels, bool diamond = false) {
    QImage image = Blank(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(20, 20, 20), 3));
    p.setBrush(background);
    if (diamond) {
        const QPointF shape[] = {{32, 2}, {62, 32}, {32, 62}, {2, 32}};
        p.drawPolygon(shape, 4);
    } else {
        p.drawRect(QRectF(2, 2, 60, 60));
    }
    DrawCentred(p, QRectF(2, 2, 60, 60), Text(text), JapaneseFont(pixels, true), ink);
    return Sprite(image);
}

std::shared_ptr<const Picture> GradePost(double before, double after) {
    QImage image = Blank(96, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRectF(45, 8, 6, 40), QColor(240, 240, 240));
    const auto arm = [&](double permil, bool right) {
        const double tilt = permil > 0 ? -14 : permil < 0 ? 14 : 0;
        p.save();
        p.translate(48, 14);
        p.rotate(right ? tilt : -tilt);
        p.fillRect(QRectF(right ? 2 : -46, -6, 44, 12), QColor(250, 250, 250));
        p.setPen(QColor(20, 20, 20));
        p.drawRect(QRectF(right ? 2 : -46, -6, 44, 12));
        char text[16];
        if (permil == 0) {
            std::snprintf(text, sizeof text, "L");
        } else {
            std::snprintf(text, sizeof text, "%.1f", std::fabs(permil));
        }
        DrawCentred(p, QRectF(right ? 2 : -46, -6, 44, 12), QString(text), JapaneseFont(10, true),
                    QColor(10, 10, 10));
        p.restore();
    };
    arm(before, false);
    arm(after, true);
    return Sprite(image);
}

std::shared_ptr<const Picture> KilometrePost(int hundreds) {
    QImage image = Blank(24, 48);
    QPainter p(&image);
    p.fillRect(QRectF(2, 2, 20, 44), QColor(246, 246, 242));
    p.setPen(QColor(30, 30, 30));
    p.drawRect(QRectF(2, 2, 20, 44));
    DrawCentred(p, QRectF(2, 4, 20, 18), QString::number(hundreds / 10), JapaneseFont(14, true),
                QColor(10, 10, 10));
    DrawCentred(p, QRectF(2, 24, 20, 18), QString::number(hundreds % 10), JapaneseFont(14, true),
                QColor(10, 10, 10));
    return Sprite(image);
}

std::shared_ptr<const Picture> Crossbuck() {
    QImage image = Blank(80, 40);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int dir : {1, -1}) {
        p.save();
        p.translate(40, 20);
        p.rotate(dir * 22);
        for (int k = 0; k < 6; ++k) {
            p.fillRect(QRectF(-36 + 12 * k, -5, 12, 10),
                       k % 2 == 0 ? QColor(245, 200, 30) : QColor(20, 20, 20));
        }
        p.restore();
    }
    return Sprite(image);
}

}  // namespace

std::vector<Board> MakeVideoBoards(const Route& route) {
    std::vector<Board> boards;
    const auto add = [&](double metres, double across, double bottom, double top, double width,
                         std::shared_ptr<const Picture> picture, bool post = true) {
        boards.push_back({metres, across, bottom, top, width, std::move(picture), post});
    };
    for (size_t i = 0; i < route.stations.size(); ++i) {
        const StationSite& s = route.stations[i];
        const StationSite* before = i > 0 ? &route.stations[i - 1] : nullptr;
        const StationSite* after = i + 1 < route.stations.size() ? &route.stations[i + 1] : nullptr;
        const auto board = NameBoard(s, before, after);
        add(s.stopMetres - 35, -3.4, 1.75, 2.65, 2.3, board);
        add(s.stopMetres - 60, 3.8 + 3.4, 1.75, 2.65, 2.3, board);
        // The stop-position target for both trains' lengths.
        add(s.stopMetres, -1.9, 1.2, 1.75, 0.45,
            Square("4\n3", QColor(250, 250, 250), QColor(10, 10, 10), 22));
    }
    for (const LimitSite& l : route.limits) {
        const std::string speed = std::to_string(l.speed);
        add(l.startMetres - 180, -2.2, 1.9, 2.5, 0.6,
            Square(speed, QColor(250, 210, 40), QColor(10, 10, 10), 28, true));
        add(l.startMetres, -2.2, 1.9, 2.5, 0.6,
            Square(speed, QColor(250, 250, 250), QColor(10, 10, 10), 30));
        if (&l == &route.limits.front()) {
            add(l.endMetres, -2.2, 1.9, 2.5, 0.6,
                Square("解", QColor(250, 250, 250), QColor(20, 20, 120), 30));
        }
    }
    for (const PointSite& w : route.whistleBoards) {
        add(w.metres, -2.3, 1.6, 2.2, 0.6,
            Square("笛", QColor(250, 250, 250), QColor(10, 10, 10), 34));
    }
    for (const PointSite& c : route.crossingBoards) {
        add(c.metres, -2.3, 1.6, 2.2, 0.6,
            Square("踏切", QColor(250, 206, 40), QColor(10, 10, 10), 18, true));
    }
    // A gradient post wherever the gradient changes: the arm toward the cab
    // shows the gradient behind, the other the gradient ahead.
    for (size_t i = 0; i < route.grades.size(); ++i) {
        const GradeSite& g = route.grades[i];
        const bool joined = i > 0 && std::fabs(route.grades[i - 1].at.end - g.at.start) < 1;
        if (!joined) add(g.at.start, -2.5, 1.1, 1.7, 1.3, GradePost(0, g.permil));
        const bool next =
            i + 1 < route.grades.size() && std::fabs(route.grades[i + 1].at.start - g.at.end) < 1;
        add(g.at.end, -2.5, 1.1, 1.7, 1.3,
            GradePost(g.permil, next ? route.grades[i + 1].permil : 0));
    }
    for (int hundreds = 1; hundreds * 100 < route.LengthMetres(); ++hundreds) {
        if (route.InTunnel(hundreds * 100.0)) continue;
        add(hundreds * 100.0, -2.15, 0.2, 0.9, 0.35, KilometrePost(hundreds), false);
    }
    const auto buck = Crossbuck();
    for (const PointSite& c : route.crossings) {
        add(c.metres - 4.2, -3.6, 2.75, 3.3, 1.1, buck, false);
        add(c.metres + 4.2, 3.8 + 3.6, 2.75, 3.3, 1.1, buck, false);
    }
    return boards;
}

}  // namespace kelvaron::demo
