#include "gui/movie_view.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <algorithm>
#include <cmath>

#include "gui/panel_painter.h"

namespace kelvaron {

namespace {

// A file that states no usable rate is played as the cab videos are.
constexpr double kDefaultFramesPerSecond = 30;
constexpr double kHighestFramesPerSecond = 240;

}  // namespace

MovieView::MovieView(VideoReader& reader, SoundMixer& mixer, QWidget* parent)
    : QWidget(parent), reader_(reader), mixer_(mixer) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    elapsed_.start();
    clock = [this] { return elapsed_.elapsed(); };
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Advance(); });
}

MovieView::~MovieView() {
    FreeSound();
}

bool MovieView::Open() {
    shown_ = -1;
    if (file_.empty() || !reader_.Open(file_) || reader_.FrameCount() <= 0) return false;
    const double fps = reader_.FramesPerSecond();
    framesPerSecond_ = std::isfinite(fps) && fps > 0 && fps <= kHighestFramesPerSecond
                           ? fps
                           : kDefaultFramesPerSecond;
    FreeSound();
    const WaveSound track = reader_.SoundTrack();
    if (!track.samples.empty()) sound_ = mixer_.CreateSoundFromSamples(track);
    return true;
}

void MovieView::Play() {
    playing_ = true;
    startedAt_ = clock();
    if (sound_ != kNoSound && mixer_.Bind(kSoundChannel, sound_)) mixer_.Play(kSoundChannel);
    // Woken once a picture; a late wake shows the picture due by then.
    timer_.start(std::max(1, static_cast<int>(std::lround(1000 / framesPerSecond_))));
    Advance();
}

void MovieView::Stop() {
    playing_ = false;
    timer_.stop();
    if (sound_ != kNoSound) mixer_.Stop(kSoundChannel);
}

void MovieView::Close() {
    Stop();
    FreeSound();
    reader_.Close();
}

void MovieView::FreeSound() {
    if (sound_ == kNoSound) return;
    mixer_.FreeSound(sound_);
    sound_ = kNoSound;
}

void MovieView::Advance() {
    if (!playing_) return;
    const int64_t since = std::max<int64_t>(0, clock() - startedAt_);
    const auto due = static_cast<int64_t>(std::floor(since * framesPerSecond_ / 1000));
    if (due >= reader_.FrameCount()) {
        Finish();
        return;
    }
    if (due == shown_) return;
    Picture frame;
    if (!reader_.DecodeFrame(static_cast<int32_t>(due), frame)) {
        Finish();
        return;
    }
    shown_ = static_cast<int32_t>(due);
    picture_ = ToImage(frame);
    update();
}

void MovieView::Finish() {
    // The last picture stays until the owner moves on.
    playing_ = false;
    timer_.stop();
    if (onFinished) onFinished();
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
