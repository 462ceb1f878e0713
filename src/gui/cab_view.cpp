#include "gui/cab_view.h"

#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPaintEngine>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace kelvaron {

namespace {

// Rows of the video picture start on this boundary, which the scaler's
// vector code needs to run at full speed.
constexpr int kRowAlignment = 64;

QRect Bounds(const PanelControl& c) {
    return QRect(c.left, c.top, c.width, c.height);
}

bool SameHands(const ClockHands& a, const ClockHands& b) {
    const auto same = [](const ClockLine& x, const ClockLine& y) {
        return x.x1 == y.x1 && x.y1 == y.y1 && x.x2 == y.x2 && x.y2 == y.y2;
    };
    return a.drawn == b.drawn && same(a.hour, b.hour) && same(a.minute, b.minute) &&
           same(a.second, b.second);
}

}  // namespace

CabView::CabView(const PanelModel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
    setMinimumSize(kWidth / 2, kHeight / 2);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(kWidth, kHeight);
}

CabView::~CabView() = default;

double CabView::Scale() const {
    return ratio_ > 0 ? scale_ / ratio_ : 1.0;
}

QPointF CabView::ToCab(QPointF widgetPos) const {
    return QPointF((widgetPos.x() * ratio_ - cab_.x()) / scale_,
                   (widgetPos.y() * ratio_ - cab_.y()) / scale_);
}

QRect CabView::ToDevice(const QRect& r) const {
    const auto at = [&](int v) { return static_cast<int>(std::lround(v * scale_)); };
    return QRect(
        QPoint(cab_.x() + at(r.left()), cab_.y() + at(r.top())),
        QPoint(cab_.x() + at(r.left() + r.width()) - 1, cab_.y() + at(r.top() + r.height()) - 1));
}

QRect CabView::ToWidget(const QRect& r) const {
    const auto down = [&](int v) { return static_cast<int>(std::floor(v / ratio_)); };
    const auto up = [&](int v) { return static_cast<int>(std::ceil(v / ratio_)); };
    return QRect(QPoint(down(r.left()), down(r.top())),
                 QPoint(up(r.left() + r.width()) - 1, up(r.top() + r.height()) - 1));
}

bool CabView::Layout() {
    const double ratio = devicePixelRatioF();
    if (ratio == ratio_ && size() == laidOutFor_ && !layer_.isNull()) return false;
    ratio_ = ratio;
    laidOutFor_ = size();
    const int deviceWidth = std::max(1, static_cast<int>(std::lround(width() * ratio)));
    const int deviceHeight = std::max(1, static_cast<int>(std::lround(height() * ratio)));
    scale_ = std::min(deviceWidth / double(kWidth), deviceHeight / double(kHeight));
    const int cabWidth = std::max(1, static_cast<int>(std::lround(kWidth * scale_)));
    const int cabHeight = std::max(1, static_cast<int>(std::lround(kHeight * scale_)));
    cab_ = QRect((deviceWidth - cabWidth) / 2, (deviceHeight - cabHeight) / 2, cabWidth, cabHeight);
    const PanelControl* unten = panel_.Find("unten");
    video_ = ToDevice(unten ? Bounds(*unten) : QRect(0, 0, kFrameWidth, kFrameHeight));
    video_.setSize(video_.size().expandedTo(QSize(1, 1)));

    layer_ = QImage(cab_.size(), QImage::Format_ARGB32_Premultiplied);
    const int stride = (video_.width() * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    // Room after the last row for the pixels the scaler may write past a row's
    // end (within the rows, the next row's own pixels are written after them).
    constexpr size_t kSpillBytes = kFrameSpill * 4;
    static_assert(kSpillBytes % kRowAlignment == 0, "aligned_alloc takes whole alignments");
    frameMemory_.reset(static_cast<uint8_t*>(std::aligned_alloc(
        kRowAlignment, static_cast<size_t>(stride) * video_.height() + kSpillBytes)));
    frame_ =
        QImage(frameMemory_.get(), video_.width(), video_.height(), stride, QImage::Format_RGB32);
    frame_.fill(Qt::black);
    shown_.clear();
    return true;
}

void CabView::Relaid() {
    RenderAll();
    // The picture on show is drawn again at the new size.
    if (still_.isNull()) {
        frameStale_ = true;
    } else {
        DrawStill();
    }
}

QRect CabView::VideoPlace() {
    if (Layout()) Relaid();
    return video_;
}

void CabView::VideoChanged() {
    // The video's place may not have been laid out yet: the window not shown.
    if (Layout()) Relaid();
    still_ = QImage();
    frameStale_ = true;
    update(ToWidget(video_));
}

void CabView::ShowCabPicture(const QImage& picture) {
    still_ = picture.convertToFormat(QImage::Format_RGB32);
    if (Layout()) Relaid();
    DrawStill();
    update(ToWidget(video_));
}

void CabView::DrawStill() {
    frame_.fill(Qt::black);
    QPainter p(&frame_);
    p.setRenderHint(QPainter::SmoothPixmapTransform, scale_ != 1.0);
    p.scale(scale_, scale_);
    p.drawImage(0, 0, still_);
}

bool CabView::Same(const Shown& s, const PanelControl& c) {
    return s.visible == c.visible && s.picture == c.picture.get() && s.angle == c.angle &&
           s.left == c.left && s.top == c.top && s.width == c.width && s.height == c.height &&
           s.transparent == c.transparent && s.autoSize == c.autoSize && s.kind == c.kind &&
           s.text == c.text && s.centred == c.centred && s.textColour == c.textColour &&
           s.background == c.background;
}

CabView::Shown CabView::Snapshot(const PanelControl& c) const {
    return Shown{c.name,        c.kind,          c.left,       c.top,
                 c.width,       c.height,        c.autoSize,   c.visible,
                 c.transparent, c.picture.get(), c.angle,      c.text,
                 c.centred,     c.textColour,    c.background, painter_.Extent(c, scale_)};
}

void CabView::FindOverVideo() {
    overVideo_ = QRegion();
    bool above = false;
    QRect video;
    for (const Shown& c : shown_) {
        if (c.name == "unten") {
            above = true;
            video = QRect(c.left, c.top, c.width, c.height);
        } else if (above && c.visible) {
            const QRect over = c.extent & video;
            // One device pixel more on each side: smooth scaling reaches that far.
            if (!over.isEmpty()) overVideo_ += ToDevice(over).adjusted(-1, -1, 1, 1) & video_;
        }
    }
}

void CabView::RenderAll() {
    shown_.clear();
    for (const PanelControl& c : panel_.Controls()) shown_.push_back(Snapshot(c));
    shownClock_ = panel_.Clock();
    FindOverVideo();
    RenderPanel(QRect(0, 0, kWidth, kHeight));
}

void CabView::PanelChanged() {
    if (Layout()) {
        Relaid();
        return;
    }
    const auto& controls = panel_.Controls();
    bool same = shown_.size() == controls.size();
    for (size_t i = 0; same && i < controls.size(); ++i) same = shown_[i].name == controls[i].name;
    if (!same) {
        RenderAll();
        return;
    }
    QRegion dirty;
    for (size_t i = 0; i < controls.size(); ++i) {
        Shown& shown = shown_[i];
        if (Same(shown, controls[i])) continue;
        if (shown.visible) dirty += shown.extent;
        shown = Snapshot(controls[i]);
        if (shown.visible) dirty += shown.extent;
    }
    if (!SameHands(shownClock_, panel_.Clock())) {
        shownClock_ = panel_.Clock();
        if (const PanelControl* clock = panel_.Find("clock")) dirty += Bounds(*clock);
    }
    if (dirty.isEmpty()) return;
    FindOverVideo();
    RenderPanel(dirty);
}

void CabView::RenderPanel(const QRegion& area) {
    // One device pixel more on each side: smooth scaling reaches that far.
    // The controls drawn are those reaching into that, in cab pixels.
    const int margin = static_cast<int>(std::ceil(1 / scale_));
    QRegion device, reach;
    for (const QRect& r : area) {
        device += ToDevice(r).adjusted(-1, -1, 1, 1).translated(-cab_.topLeft()) & layer_.rect();
        reach += r.adjusted(-margin, -margin, margin, margin);
    }
    if (device.isEmpty()) return;
    // Qt hands a fill or a picture more than about 96 rows tall to its worker
    // threads and waits for them, which costs the panel's small pieces more
    // CPU than it saves: each piece is painted in bands of 48 rows, here.
    constexpr int kBand = 48;
    {
        QPainter p(&layer_);
        for (const QRect& r : device) {
            for (int top = r.top(); top <= r.bottom(); top += kBand) {
                const QRect band(r.left(), top, r.width(), std::min(kBand, r.bottom() + 1 - top));
                p.setClipRect(band);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.fillRect(band, Qt::black);
                p.setCompositionMode(QPainter::CompositionMode_SourceOver);
                p.save();
                p.scale(scale_, scale_);
                const QRect inCab = QRectF(band.x() / scale_, band.y() / scale_,
                                           band.width() / scale_, band.height() / scale_)
                                        .toAlignedRect();
                painter_.Paint(p, panel_, nullptr,
                               reach & inCab.adjusted(-margin, -margin, margin, margin));
                p.restore();
            }
        }
    }
    for (const QRect& r : device) update(ToWidget(r.translated(cab_.topLeft())));
}

void CabView::resizeEvent(QResizeEvent*) {
    if (Layout()) Relaid();
}

void CabView::paintEvent(QPaintEvent* event) {
    if (Layout()) Relaid();
    QPainter p(this);
    p.scale(1 / ratio_, 1 / ratio_);
    QRegion region;
    for (const QRect& r : event->region()) {
        region += QRect(QPoint(static_cast<int>(std::floor(r.left() * ratio_)),
                               static_cast<int>(std::floor(r.top() * ratio_))),
                        QPoint(static_cast<int>(std::ceil((r.right() + 1) * ratio_)) - 1,
                               static_cast<int>(std::ceil((r.bottom() + 1) * ratio_)) - 1));
    }
    // Pieces are copied one rectangle at a time, each clipped to itself: Qt
    // copies a picture in one go only under a rectangular clip. Under the
    // paint event's region it draws line by line and, for a picture this
    // tall, hands the lines to its worker threads and waits for them.
    const auto copy = [&](const QRegion& area, const QImage& picture, QPoint at) {
        for (const QRect& r : area) {
            p.setClipRect(r);
            p.drawImage(r.topLeft(), picture, r.translated(-at));
        }
    };
    for (const QRect& r : region - cab_) {
        p.setClipRect(r);
        p.fillRect(r, Qt::black);
    }
    const QRegion video = region & video_;
    if (!video.isEmpty() && !(frameStale_ && DrawFrameDirectly(p, video))) {
        if (frameStale_) {
            frameStale_ = false;
            if (drawFrame) {
                drawFrame(FrameTarget{frameMemory_.get(), frame_.width(), frame_.height(),
                                      static_cast<int32_t>(frame_.bytesPerLine())});
            }
        }
        copy(video, frame_, video_.topLeft());
    }
    // Only what stands over the video is blended again, not the whole video's place.
    copy(video & overVideo_, layer_, cab_.topLeft());
    // The panel picture is opaque outside the video: copied, not blended.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    copy((region & cab_) - video_, layer_, cab_.topLeft());
    if (onPainted) onPainted(!video.isEmpty());
}

bool CabView::DrawFrameDirectly(QPainter& p, const QRegion& video) {
    if (!drawFrame || video != QRegion(video_)) return false;
    // Painting through the window's backing store: the engine paints on the
    // image the window is shown from, this widget at a whole-pixel offset.
    QPaintEngine* engine = p.paintEngine();
    const QPaintDevice* device = engine != nullptr ? engine->paintDevice() : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    const auto* image = static_cast<const QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    const QTransform toDevice = p.deviceTransform();
    if (toDevice.type() > QTransform::TxTranslate || toDevice.dx() != std::trunc(toDevice.dx()) ||
        toDevice.dy() != std::trunc(toDevice.dy())) {
        return false;
    }
    const QRect place =
        video_.translated(static_cast<int>(toDevice.dx()), static_cast<int>(toDevice.dy()));
    // Another widget or window over part of the video keeps its pixels.
    if (!image->rect().contains(place) || engine->systemClip().isEmpty() ||
        !(QRegion(place) - engine->systemClip()).isEmpty()) {
        return false;
    }
    // The scaler may write a few pixels past the end of each row: they must
    // lie within the image's row, and are put back as they were.
    if (place.right() + kFrameSpill >= image->width()) return false;
    const qsizetype stride = image->bytesPerLine();
    uchar* first = const_cast<uchar*>(image->constBits()) + place.y() * stride + place.x() * 4;
    beside_.resize(static_cast<size_t>(kFrameSpill) * place.height());
    const auto besideRow = [&](int row) { return first + row * stride + place.width() * 4; };
    const auto kept = [&](int row) { return &beside_[static_cast<size_t>(row) * kFrameSpill]; };
    for (int row = 0; row < place.height(); ++row) {
        std::memcpy(kept(row), besideRow(row), kFrameSpill * 4);
    }
    const bool drawn =
        drawFrame(FrameTarget{first, place.width(), place.height(), static_cast<int32_t>(stride)});
    for (int row = 0; row < place.height(); ++row) {
        std::memcpy(besideRow(row), kept(row), kFrameSpill * 4);
    }
    return drawn;
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
        QRectF(Bounds(*back)).contains(ToCab(event->position()))) {
        if (onBack) onBack();
    }
}

}  // namespace kelvaron
