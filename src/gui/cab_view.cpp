#include "gui/cab_view.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>

#include "platform/video_reader.h"

namespace kelvaron {

CabView::CabView(const PanelModel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    cabPicture_ = QImage(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    cabPicture_.fill(Qt::black);
}

void CabView::ShowCabPicture(QImage picture) {
    // The surface keeps its size: a picture of another size is drawn at its
    // top-left corner on black.
    if (picture.size() == QSize(kFrameWidth, kFrameHeight)) {
        cabPicture_ = std::move(picture);
    } else {
        cabPicture_.fill(Qt::black);
        QPainter p(&cabPicture_);
        p.drawImage(0, 0, picture);
    }
    update();
}

void CabView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    painter_.Paint(p, panel_, cabPicture_);
}

void CabView::keyPressEvent(QKeyEvent* event) {
    if (onKey) onKey(*event);
}

// Tab is a driving key like any other, not a way to leave the cab.
bool CabView::focusNextPrevChild(bool) {
    return false;
}

void CabView::wheelEvent(QWheelEvent* event) {
    const int step = wheel_.Add(event->angleDelta().y());
    if (step != 0 && onWheel) onWheel(step);
    event->accept();
}

void CabView::mousePressEvent(QMouseEvent* event) {
    const PanelControl* back = panel_.Find("back");
    if (event->button() == Qt::LeftButton && back && back->visible &&
        QRect(back->left, back->top, back->width, back->height).contains(event->pos())) {
        if (onBack) onBack();
    }
}

}  // namespace kelvaron
