#include "gui/studio/timeline_view.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <algorithm>

namespace kelvaron {

namespace {

constexpr int kMargin = 4;

QColor KindColour(RecordKind kind) {
    static const QColor colours[] = {
        QColor(30, 110, 220), QColor(200, 40, 40),  QColor(230, 140, 0),  QColor(120, 120, 120),
        QColor(70, 70, 70),   QColor(40, 150, 90),  QColor(150, 60, 170), QColor(170, 90, 40),
        QColor(220, 60, 140), QColor(60, 160, 170), QColor(200, 170, 0),  QColor(90, 90, 200),
        QColor(150, 0, 0),    QColor(0, 0, 0)};
    return colours[static_cast<size_t>(kind) % std::size(colours)];
}

}  // namespace

TimelineView::TimelineView(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(90);
    setMouseTracking(false);
}

void TimelineView::SetFrameCount(int32_t frames) {
    frames_ = std::max(1, frames);
    update();
}

void TimelineView::SetRecords(std::vector<StudioRecord> records, std::vector<SpeedUnitData> units) {
    records_ = std::move(records);
    units_ = std::move(units);
    update();
}

void TimelineView::SetCurrentFrame(int32_t frame) {
    current_ = frame;
    update();
}

double TimelineView::XOfFrame(double frame) const {
    return kMargin + frame / frames_ * (width() - 2 * kMargin);
}

int32_t TimelineView::FrameAtX(int x) const {
    const double share = static_cast<double>(x - kMargin) / std::max(1, width() - 2 * kMargin);
    return std::clamp(static_cast<int32_t>(share * frames_ + 0.5), 0, frames_ - 1);
}

void TimelineView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(250, 250, 246));
    const int rows = static_cast<int>(RecordKinds().size()) - 1;  // the units are the curve
    const double rowHeight = (height() - 2.0 * kMargin) / rows;

    // The filming speed behind the marks, up to the fastest unit.
    int32_t fastest = 1;
    for (const auto& u : units_) fastest = std::max({fastest, u.StartSpeed, u.EndSpeed});
    p.setPen(QPen(QColor(180, 200, 230), 2));
    for (const auto& u : units_) {
        const double y0 = height() - kMargin - (height() - 2.0 * kMargin) * u.StartSpeed / fastest;
        const double y1 = height() - kMargin - (height() - 2.0 * kMargin) * u.EndSpeed / fastest;
        p.drawLine(QPointF(XOfFrame(u.StartFrame), y0), QPointF(XOfFrame(u.EndFrame), y1));
    }

    for (const StudioRecord& r : records_) {
        if (r.kind == RecordKind::SpeedUnit) continue;
        const double y = kMargin + rowHeight * static_cast<int>(r.kind);
        const double x = XOfFrame(r.frame);
        p.fillRect(QRectF(x - 1.5, y, 3, std::max(2.0, rowHeight - 1)), KindColour(r.kind));
    }
    p.setPen(QPen(Qt::red, 1));
    const double x = XOfFrame(current_);
    p.drawLine(QPointF(x, 0), QPointF(x, height()));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    if (onFrameChosen) onFrameChosen(FrameAtX(event->position().toPoint().x()));
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && onFrameChosen) {
        onFrameChosen(FrameAtX(event->position().toPoint().x()));
    }
}

}  // namespace kelvaron
