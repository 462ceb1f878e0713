#include "gui/review_chart.h"

#include <QtGui/QFontMetricsF>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace kelvaron {

namespace {

constexpr double kLeft = 52, kRight = 14, kTop = 30, kBottom = 22;
constexpr double kHandleShare = 0.26;  // of the plot's height, below the speed
constexpr double kGap = 16;
// A refresh that moved the train further than this, or back, was a jump
// (the Move menu): the lines break there instead of crossing the chart.
constexpr double kJumpMetres = 200;

const QColor kSpeedColour(25, 90, 200);
const QColor kLimitColour(210, 40, 40);
const QColor kPatternColour(235, 130, 0);
const QColor kPowerColour(30, 150, 60);
const QColor kBrakeColour(200, 50, 50);
const QColor kGridColour(225, 225, 225);

QColor AspectColour(const std::string& aspect) {
    if (aspect == "R") return QColor(220, 30, 30);
    if (aspect == "G") return QColor(30, 170, 70);
    if (aspect == "YG") return QColor(140, 200, 40);
    if (aspect == "Y" || aspect == "YY") return QColor(240, 190, 0);
    return QColor(150, 150, 150);
}

// A tick spacing near a tenth of `range` from 1, 2, 5 times a power of ten.
double NiceStep(double range) {
    const double raw = std::max(range / 8, 1e-6);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (raw <= m * power) return m * power;
    }
    return 10 * power;
}

QString Kilometres(double metres) {
    return QString::number(metres / 1000, 'f', metres >= 100000 ? 1 : 2) + " km";
}

}  // namespace

struct ReviewChart::Axes {
    QRectF speed, handles;
    Span span;
    double topSpeed = 1;
    double X(double m) const {
        return speed.left() + (m - span.from) / (span.to - span.from) * speed.width();
    }
    double Y(double kmh) const { return speed.bottom() - kmh / topSpeed * speed.height(); }
    // -1 (the emergency position) … 0 … +1 (full power).
    double HandleY(double level) const {
        return handles.center().y() - level * handles.height() / 2;
    }
    bool Visible(double m) const { return m >= span.from && m <= span.to; }
};

ReviewChart::ReviewChart(ReviewPlot plot) : plot_(std::move(plot)) {
    for (const std::string& line : plot_.scoreLines) scoreLines_ << QString::fromStdString(line);
    double from = INFINITY, to = -INFINITY, top = 0;
    for (const RunReview::Sample& s : plot_.samples) {
        from = std::min(from, s.distanceM);
        to = std::max(to, s.distanceM);
        top = std::max({top, std::abs(s.speedKmh), static_cast<double>(s.limitKmh)});
    }
    // The whole line's stations, so that a run that ended early shows how far it got.
    for (const RunReview::StationMark& s : plot_.stationMarks) {
        from = std::min(from, s.distanceM);
        to = std::max(to, s.distanceM);
    }
    if (!(from <= to)) from = to = 0;
    const double room = std::max(50.0, (to - from) * 0.02);
    whole_ = {from - room, to + room};
    topSpeed_ = std::max(20.0, std::ceil((top + 5) / 20) * 20);
}

QRectF ReviewChart::PlotRect(const QRectF& area) {
    return area.adjusted(kLeft, kTop, -kRight, -kBottom);
}

void ReviewChart::Paint(QPainter& p, const QRectF& area, Span span,
                        std::optional<double> hoverM) const {
    if (!(span.to > span.from)) span = whole_;
    const QRectF plot = PlotRect(area);
    Axes a;
    a.span = span;
    a.topSpeed = topSpeed_;
    const double handleHeight = plot.height() * kHandleShare;
    a.speed = QRectF(plot.left(), plot.top(), plot.width(), plot.height() - handleHeight - kGap);
    a.handles = QRectF(plot.left(), plot.bottom() - handleHeight, plot.width(), handleHeight);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(area, Qt::white);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);

    p.setPen(Qt::black);
    p.drawText(QRectF(area.left() + kLeft, area.top() + 4, plot.width(), kTop - 8),
               Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(plot_.lineName) +
                   (scoreLines_.isEmpty() ? QString() : "    " + scoreLines_.front()));
    p.drawText(QRectF(area.left() + kLeft, area.top() + 4, plot.width(), kTop - 8),
               Qt::AlignRight | Qt::AlignVCenter, "speed  limit  braking pattern  power / brake");
    // The legend's colours under its words.
    const QFontMetricsF metrics(p.font());
    double legendX =
        plot.right() - metrics.horizontalAdvance("speed  limit  braking pattern  power / brake");
    const double legendY = area.top() + kTop - 5;
    for (const auto& [word, colour] : {std::pair{"speed  ", kSpeedColour},
                                       {"limit  ", kLimitColour},
                                       {"braking pattern  ", kPatternColour},
                                       {"power / brake", kPowerColour}}) {
        const double width = metrics.horizontalAdvance(word);
        p.setPen(QPen(colour, 2));
        p.drawLine(QPointF(legendX, legendY), QPointF(legendX + width - 6, legendY));
        legendX += width;
    }

    // Distance grid and labels.
    p.setClipRect(area);
    const double step = NiceStep(span.to - span.from);
    for (double m = std::ceil(span.from / step) * step; m <= span.to; m += step) {
        const double x = a.X(m);
        p.setPen(kGridColour);
        p.drawLine(QPointF(x, a.speed.top()), QPointF(x, a.speed.bottom()));
        p.drawLine(QPointF(x, a.handles.top()), QPointF(x, a.handles.bottom()));
        p.setPen(Qt::black);
        p.drawText(QRectF(x - 40, plot.bottom() + 3, 80, kBottom - 4), Qt::AlignCenter,
                   Kilometres(m));
    }
    const double speedStep = topSpeed_ > 100 ? 20 : 10;
    for (double v = 0; v <= topSpeed_; v += speedStep) {
        p.setPen(kGridColour);
        p.drawLine(QPointF(a.speed.left(), a.Y(v)), QPointF(a.speed.right(), a.Y(v)));
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), a.Y(v) - 8, kLeft - 6, 16),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    p.drawText(QRectF(area.left(), a.speed.top() + 10, kLeft - 6, 14),
               Qt::AlignRight | Qt::AlignTop, "km/h");
    p.drawText(QRectF(area.left(), a.HandleY(1) - 8, kLeft - 6, 16),
               Qt::AlignRight | Qt::AlignVCenter, QString("P%1").arg(plot_.powerNotches));
    p.drawText(QRectF(area.left(), a.HandleY(0) - 8, kLeft - 6, 16),
               Qt::AlignRight | Qt::AlignVCenter, "N");
    p.drawText(QRectF(area.left(), a.HandleY(-1) - 8, kLeft - 6, 16),
               Qt::AlignRight | Qt::AlignVCenter, QString("B%1").arg(plot_.brakeNotches));
    p.setPen(Qt::gray);
    p.drawRect(a.speed);
    p.drawRect(a.handles);

    p.setClipRect(a.speed.adjusted(0, -1, 0, 1));
    PaintSpeed(p, a);
    PaintMarkers(p, a);
    p.setClipRect(a.handles.adjusted(0, -1, 0, 1));
    PaintHandles(p, a);
    p.setClipping(false);
    if (hoverM && a.Visible(*hoverM)) PaintHover(p, a, *hoverM);
    p.restore();
}

namespace {

// Draws one series as lines broken wherever it has no value, at a jump of
// the train, and where it leaves the view. Points on one pixel column are
// drawn once, by where the line enters and leaves it and its extremes there:
// a long run would otherwise draw tens of thousands of segments per pixel.
void DrawSeries(QPainter& p, const std::vector<RunReview::Sample>& samples,
                const std::function<std::optional<double>(const RunReview::Sample&)>& value,
                const std::function<QPointF(double, double)>& at, double from, double to) {
    QPolygonF line;
    struct Column {
        double x = 0, first = 0, low = 0, high = 0, last = 0;
        bool open = false;
    } column;
    const auto closeColumn = [&] {
        if (!column.open) return;
        for (double y : {column.first, column.low, column.high, column.last}) {
            if (line.isEmpty() || line.back() != QPointF(column.x, y)) line << QPointF(column.x, y);
        }
        column.open = false;
    };
    const auto flush = [&] {
        closeColumn();
        if (line.size() > 1) p.drawPolyline(line);
        line.clear();
    };
    const double margin = (to - from) * 0.01;
    double previous = NAN;
    for (const RunReview::Sample& s : samples) {
        const double d = s.distanceM;
        const bool jump = !std::isnan(previous) && (d < previous - 1 || d > previous + kJumpMetres);
        previous = d;
        const auto v = value(s);
        const bool inView = d >= from - margin && d <= to + margin;
        if (!v || jump || !inView) flush();
        if (!v || !inView) continue;
        const QPointF point = at(d, *v);
        if (column.open && std::abs(point.x() - column.x) < 0.5) {
            column.low = std::min(column.low, point.y());
            column.high = std::max(column.high, point.y());
            column.last = point.y();
            continue;
        }
        closeColumn();
        column = {point.x(), point.y(), point.y(), point.y(), point.y(), true};
    }
    flush();
}

}  // namespace

void ReviewChart::PaintSpeed(QPainter& p, const Axes& a) const {
    const auto& samples = plot_.samples;
    const auto at = [&](double m, double v) { return QPointF(a.X(m), a.Y(v)); };
    p.setPen(QPen(kLimitColour, 1.5));
    DrawSeries(
        p, samples,
        [](const RunReview::Sample& s) -> std::optional<double> {
            if (s.limitKmh <= 0) return std::nullopt;
            return s.limitKmh;
        },
        at, a.span.from, a.span.to);
    p.setPen(QPen(kPatternColour, 1.2, Qt::DashLine));
    DrawSeries(
        p, samples, [](const RunReview::Sample& s) { return s.warningKmh; }, at, a.span.from,
        a.span.to);
    p.setPen(QPen(kPatternColour, 1.5));
    DrawSeries(
        p, samples, [](const RunReview::Sample& s) { return s.patternKmh; }, at, a.span.from,
        a.span.to);
    p.setPen(QPen(kSpeedColour, 1.8));
    DrawSeries(
        p, samples,
        [](const RunReview::Sample& s) -> std::optional<double> { return std::abs(s.speedKmh); },
        at, a.span.from, a.span.to);
}

void ReviewChart::PaintHandles(QPainter& p, const Axes& a) const {
    const auto& samples = plot_.samples;
    const auto at = [&](double m, double level) { return QPointF(a.X(m), a.HandleY(level)); };
    p.setPen(QPen(Qt::gray, 1));
    p.drawLine(QPointF(a.handles.left(), a.HandleY(0)), QPointF(a.handles.right(), a.HandleY(0)));
    const double power = std::max(1, plot_.powerNotches);
    const double brake = std::max(1, plot_.brakeNotches);
    p.setPen(QPen(kPowerColour, 1.5));
    DrawSeries(
        p, samples,
        [&](const RunReview::Sample& s) -> std::optional<double> { return s.powerNotch / power; },
        at, a.span.from, a.span.to);
    p.setPen(QPen(kBrakeColour, 1.5));
    DrawSeries(
        p, samples,
        [&](const RunReview::Sample& s) -> std::optional<double> { return s.brakeNotch / brake; },
        at, a.span.from, a.span.to);
}

void ReviewChart::PaintMarkers(QPainter& p, const Axes& a) const {
    const QFontMetricsF metrics(p.font());
    for (const RunReview::StationMark& s : plot_.stationMarks) {
        if (!a.Visible(s.distanceM)) continue;
        const double x = a.X(s.distanceM);
        p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        p.drawLine(QPointF(x, a.speed.top()), QPointF(x, a.speed.bottom()));
        p.setPen(Qt::black);
        const QString name = QString::fromStdString(s.name);
        const QString result = QString::fromStdString(s.result);
        // Near the right edge the label goes left of its line.
        const double width =
            std::max(metrics.horizontalAdvance(name), metrics.horizontalAdvance(result));
        const double left = x + 3 + width > a.speed.right() ? x - 3 - width : x + 3;
        p.drawText(QPointF(left, a.speed.top() + 26), name);
        p.drawText(QPointF(left, a.speed.top() + 26 + metrics.height()), result);
    }
    for (const RunReview::SignalMark& s : plot_.signalMarks) {
        if (!a.Visible(s.distanceM)) continue;
        const double x = a.X(s.distanceM);
        p.setPen(Qt::black);
        p.setBrush(AspectColour(s.aspect));
        p.drawEllipse(QPointF(x, a.speed.top() + 8), 4.5, 4.5);
        p.setBrush(Qt::NoBrush);
        p.drawText(QPointF(x + 6, a.speed.top() + 12), QString::fromStdString(s.aspect));
    }
    for (const RunReview::ProtectionMark& m : plot_.protectionMarks) {
        if (!a.Visible(m.distanceM)) continue;
        const double x = a.X(m.distanceM), y = a.speed.bottom() - 4;
        QPolygonF triangle;
        triangle << QPointF(x, y - 10) << QPointF(x - 6, y) << QPointF(x + 6, y);
        p.setPen(Qt::black);
        p.setBrush(m.what == "ATS alarm" ? QColor(255, 200, 0) : QColor(220, 30, 30));
        p.drawPolygon(triangle);
        p.setBrush(Qt::NoBrush);
        p.drawText(QPointF(x + 8, y - 2), QString::fromStdString(m.what));
    }
}

const RunReview::Sample* ReviewChart::SampleNear(double metres) const {
    const RunReview::Sample* best = nullptr;
    double bestOff = INFINITY;
    for (const RunReview::Sample& s : plot_.samples) {
        const double off = std::abs(s.distanceM - metres);
        if (off < bestOff) {
            best = &s;
            bestOff = off;
        }
    }
    return best;
}

QStringList ReviewChart::ValuesAt(double metres) const {
    const RunReview::Sample* s = SampleNear(metres);
    if (s == nullptr) return {};
    QStringList lines;
    lines << Kilometres(s->distanceM) + "  " + QString::fromStdString(ClockText(s->clockTicks));
    lines << QString("speed %1 km/h").arg(s->speedKmh, 0, 'f', 1) +
                 (s->limitKmh > 0 ? QString("  limit %1 km/h").arg(s->limitKmh) : QString());
    if (s->patternKmh) {
        lines << QString("pattern brakes above %1 km/h").arg(*s->patternKmh, 0, 'f', 1);
    }
    QString handle = s->powerNotch > 0 ? QString("P%1").arg(s->powerNotch) : QString("N");
    if (s->brakeNotch < 0) {
        handle += s->brakeNotch == -plot_.brakeNotches ? QString("  EB")
                                                       : QString("  B%1").arg(-s->brakeNotch);
    }
    if (s->forcedBraking) handle += "  (forced braking)";
    lines << handle;
    return lines;
}

void ReviewChart::PaintHover(QPainter& p, const Axes& a, double metres) const {
    const QStringList lines = ValuesAt(metres);
    if (lines.isEmpty()) return;
    const double x = a.X(metres);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(QPointF(x, a.speed.top()), QPointF(x, a.handles.bottom()));
    const QFontMetricsF metrics(p.font());
    double width = 0;
    for (const QString& l : lines) width = std::max(width, metrics.horizontalAdvance(l));
    QRectF box(x + 8, a.speed.top() + 40, width + 12, lines.size() * metrics.height() + 8);
    if (box.right() > a.speed.right()) box.moveRight(x - 8);
    p.setPen(Qt::black);
    p.setBrush(QColor(255, 255, 230, 235));
    p.drawRect(box);
    p.setBrush(Qt::NoBrush);
    p.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignTop, lines.join('\n'));
}

}  // namespace kelvaron
