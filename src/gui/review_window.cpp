#include "gui/review_window.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/review_picture.h"

namespace kelvaron {

namespace {

constexpr double kZoomStep = 1.25;  // per wheel notch
constexpr double kNarrowestMetres = 50;

}  // namespace

// The chart itself, forwarding the mouse to the window.
class ReviewWindow::View : public QWidget {
  public:
    explicit View(ReviewWindow& window) : QWidget(&window), window_(window) {
        setMouseTracking(true);
        setMinimumSize(640, 360);
        setCursor(Qt::OpenHandCursor);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        window_.chart_.Paint(painter, rect(), window_.span_, window_.hoverM_);
    }
    void wheelEvent(QWheelEvent* event) override {
        const int notches = event->angleDelta().y() / 120;
        if (notches != 0) {
            window_.ZoomAt(window_.MetresAt(event->position().x()), std::pow(kZoomStep, -notches));
        }
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        dragX_ = event->position().x();
        setCursor(Qt::ClosedHandCursor);
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        dragX_.reset();
        setCursor(Qt::OpenHandCursor);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const double x = event->position().x();
        if (dragX_ && (event->buttons() & Qt::LeftButton)) {
            window_.PanBy(x - *dragX_);
            dragX_ = x;
        }
        const QRectF plot = ReviewChart::PlotRect(rect());
        if (x >= plot.left() && x <= plot.right())
            window_.hoverM_ = window_.MetresAt(x);
        else
            window_.hoverM_.reset();
        update();
    }
    void leaveEvent(QEvent*) override {
        window_.hoverM_.reset();
        update();
    }

  private:
    ReviewWindow& window_;
    std::optional<double> dragX_;
};

ReviewWindow::ReviewWindow(const RunReview& review, const RunSummary& summary, QWidget* parent)
    : QWidget(parent, Qt::Window),
      review_(review),
      chart_(review.Plot(summary)),
      span_(chart_.WholeRun()),
      chartView_(new View(*this)) {
    setWindowTitle(QString::fromUtf8("走行の振り返り - ") +
                   QString::fromStdString(review_.LineName()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chartView_, 1);
    auto* score = new QLabel(chart_.ScoreLines().join('\n'), this);
    score->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(score);
    auto* buttons = new QHBoxLayout;
    auto* whole = new QPushButton("Whole run", this);
    connect(whole, &QPushButton::clicked, this, [this] { SetSpan(chart_.WholeRun()); });
    buttons->addWidget(whole);
    buttons->addStretch(1);
    for (const char* kind : {"PNG", "SVG", "CSV"}) {
        auto* button = new QPushButton(QString("Save %1...").arg(kind), this);
        connect(button, &QPushButton::clicked, this, [this, kind] { AskAndExport(kind); });
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    resize(1200, 720);
}

QWidget& ReviewWindow::ChartView() {
    return *chartView_;
}

double ReviewWindow::MetresAt(double x) const {
    const QRectF plot = ReviewChart::PlotRect(chartView_->rect());
    const double share = plot.width() > 0 ? (x - plot.left()) / plot.width() : 0;
    return span_.from + share * (span_.to - span_.from);
}

void ReviewWindow::SetSpan(ReviewChart::Span span) {
    const ReviewChart::Span whole = chart_.WholeRun();
    const double width =
        std::clamp(span.to - span.from, std::min(kNarrowestMetres, whole.to - whole.from),
                   whole.to - whole.from);
    const double from = std::clamp(span.from, whole.from, whole.to - width);
    span_ = {from, from + width};
    chartView_->update();
}

void ReviewWindow::ZoomAt(double metres, double factor) {
    SetSpan({metres - (metres - span_.from) * factor, metres + (span_.to - metres) * factor});
}

void ReviewWindow::PanBy(double pixels) {
    const double width = ReviewChart::PlotRect(chartView_->rect()).width();
    if (width <= 0) return;
    const double metres = pixels / width * (span_.to - span_.from);
    SetSpan({span_.from - metres, span_.to - metres});
}

QStringList ReviewWindow::HoverText() const {
    return hoverM_ ? chart_.ValuesAt(*hoverM_) : QStringList();
}

bool ReviewWindow::Export(const std::filesystem::path& file, std::string* error) const {
    if (ReviewFileKindOf(file) == ReviewFileKind::Csv) return review_.WriteCsvFile(file, error);
    return WriteReviewPicture(chart_.Plot(), file, error);
}

void ReviewWindow::AskAndExport(const QString& kind) {
    const QString file = QFileDialog::getSaveFileName(
        this, QString("Save the review as %1").arg(kind), "review." + kind.toLower(),
        QString("%1 (*.%2)").arg(kind, kind.toLower()));
    if (file.isEmpty()) return;
    std::filesystem::path path = file.toStdString();
    if (ReviewFileKindOf(path) == ReviewFileKind::Unknown)
        path += "." + kind.toLower().toStdString();
    std::string error;
    if (!Export(path, &error)) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
    }
}

}  // namespace kelvaron
