#include "gui/movie_view.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>

#include "gui/panel_painter.h"

namespace kelvaron {

namespace {
constexpr int kFramePeriodMs = 33;
}

MovieView::MovieView(VideoReader& reader, QWidget* parent) : QWidget(parent), reader_(reader) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kFramePeriodMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { NextFrame(); });
}

bool MovieView::Open() {
    next_ = 0;
    return !file_.empty() && reader_.Open(file_) && reader_.FrameCount() > 0;
}

void MovieView::Play() {
    timer_.start();
    NextFrame();
}

void MovieView::Stop() {
    timer_.stop();
}

void MovieView::Close() {
    timer_.stop();
    reader_.Close();
}

void MovieView::NextFrame() {
    Picture frame;
    if (next_ >= reader_.FrameCount() || !reader_.DecodeFrame(next_, frame)) {
        timer_.stop();
        return;
    }
    ++next_;
    picture_ = ToImage(frame);
    update();
}

void MovieView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!picture_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), picture_);
    }
}

void MovieView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) onClick();
}

}  // namespace kelvaron
