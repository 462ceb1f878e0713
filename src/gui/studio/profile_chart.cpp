#include "gui/studio/profile_chart.h"

#include <QtGui/QPainter>
#include <algorithm>
#include <cmath>

namespace kelvaron {

ProfileChart::ProfileChart(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(120);
}

void ProfileChart::SetProfile(LineProfile profile) {
    profile_ = std::move(profile);
    update();
}

void ProfileChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const double left = 40;
    const double right = width() - 8;
    const double length = std::max(1.0, profile_.lengthMetres);
    auto x = [&](double metres) { return left + metres / length * (right - left); };
    const double limitTop = 14;
    const double limitBottom = height() * 0.55;
    const double gradientMiddle = height() * 0.78;
    const double gradientScale = height() * 0.18 / 35;  // 35 permil fills the half

    double fastest = 40;
    for (const auto& step : profile_.limits) fastest = std::max(fastest, step.value);
    p.setPen(Qt::gray);
    p.drawText(QPointF(2, limitTop + 4), QString::number(fastest) + " km/h");
    p.drawText(QPointF(2, gradientMiddle + 4), "0 ‰");
    p.drawLine(QPointF(left, gradientMiddle), QPointF(right, gradientMiddle));

    p.setPen(QPen(QColor(220, 120, 0), 2));
    for (const auto& step : profile_.limits) {
        const double y = limitBottom - (limitBottom - limitTop) * step.value / fastest;
        p.drawLine(QPointF(x(step.startMetres), y), QPointF(x(step.endMetres), y));
    }
    for (const auto& step : profile_.gradients) {
        const double h = std::clamp(step.value, -35.0, 35.0) * gradientScale;
        const QRectF bar(QPointF(x(step.startMetres), gradientMiddle - std::max(0.0, h)),
                         QPointF(x(step.endMetres), gradientMiddle - std::min(0.0, h)));
        p.fillRect(bar, step.value >= 0 ? QColor(120, 80, 40) : QColor(60, 130, 60));
    }
    p.setPen(QPen(QColor(30, 110, 220), 2));
    for (double at : profile_.stations)
        p.drawLine(QPointF(x(at), limitTop), QPointF(x(at), height() - 4));
    p.setPen(Qt::black);
    p.drawText(QPointF(right - 80, height() - 4),
               QString::number(std::round(profile_.lengthMetres)) + " m");
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace kelvaron
