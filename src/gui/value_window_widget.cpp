#include "gui/value_window_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <algorithm>

namespace kelvaron {

namespace {

constexpr int kRowsPerColumn = ValueWindowModel::kRows / 2;
constexpr int kMargin = 8;
constexpr int kRowHeight = 15;
constexpr int kTop = 4;
constexpr int kCaptionWidth = 150;
constexpr int kValueWidth = 130;
constexpr int kColumnWidth = (ValueWindowWidget::kWidth - 2 * kMargin) / 2;
constexpr int kBarCaptionTop = kTop + kRowsPerColumn * kRowHeight + 3;
constexpr int kBarTop = kBarCaptionTop + 15;
constexpr int kBarHeight = 10;
constexpr int kBarPitch = 12;

}  // namespace

ValueWindowWidget::ValueWindowWidget(const KeyRoute& keys, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), keys_(keys) {
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QString::fromStdString(model_.caption));
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    move(188, 573);
}

void ValueWindowWidget::ShowModel(const ValueWindowModel& model) {
    model_ = model;
    setWindowTitle(QString::fromStdString(model_.caption));
    update();
}

void ValueWindowWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().windowText().color());
    for (int row = 0; row < ValueWindowModel::kRows; ++row) {
        const int x = kMargin + (row / kRowsPerColumn) * kColumnWidth;
        const int y = kTop + (row % kRowsPerColumn) * kRowHeight;
        const auto i = static_cast<size_t>(row);
        p.drawText(QRect(x, y, kCaptionWidth, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(model_.captions[i]));
        p.drawText(QRect(x + kCaptionWidth, y, kValueWidth, kRowHeight),
                   Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(model_.values[i]));
    }
    const QRect all(kMargin, kBarTop, kWidth - 2 * kMargin, kBarHeight);
    p.drawText(QRect(all.left(), kBarCaptionTop, all.width(), 14), Qt::AlignCenter,
               QString::fromStdString(model_.barCaption));
    // Each bar grows from the middle: to the right for power, to the left for braking.
    const int middle = all.left() + all.width() / 2;
    const int half = all.width() / 2;
    const QColor fills[] = {QColor(40, 110, 200), QColor(90, 160, 90), QColor(200, 90, 60)};
    for (size_t bar = 0; bar < model_.bars.size(); ++bar) {
        const QRect frame = all.translated(0, static_cast<int>(bar) * kBarPitch);
        p.fillRect(frame, Qt::white);
        const int64_t value = std::clamp<int64_t>(model_.bars[bar], -ValueWindowModel::kBarLimit,
                                                  ValueWindowModel::kBarLimit);
        const int length = static_cast<int>(value * half / ValueWindowModel::kBarLimit);
        const QRect fill = length >= 0
                               ? QRect(middle, frame.top(), length, frame.height())
                               : QRect(middle + length, frame.top(), -length, frame.height());
        p.fillRect(fill, fills[bar]);
        p.setPen(Qt::gray);
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.drawLine(middle, frame.top(), middle, frame.bottom());
    }
}

void ValueWindowWidget::keyPressEvent(QKeyEvent* event) {
    keys_.Forward(*event);
}

void ValueWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}

}  // namespace kelvaron
