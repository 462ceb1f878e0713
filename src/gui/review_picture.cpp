#include "gui/review_picture.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <fstream>

#include "gui/review_chart.h"

namespace kelvaron {

namespace {

constexpr int kScoreLineHeight = 17;

}  // namespace

void EnsureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) return;
    static int argc = 3;
    static char name[] = "kelvaron", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static QGuiApplication application(argc, argv);
}

void PaintReviewPage(QPainter& painter, const ReviewChart& chart, QSize size) {
    const int textHeight = static_cast<int>(chart.ScoreLines().size()) * kScoreLineHeight + 16;
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    chart.Paint(painter, QRectF(0, 0, size.width(), size.height() - textHeight), chart.WholeRun());
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = size.height() - textHeight + 8;
    for (const QString& line : chart.ScoreLines()) {
        painter.drawText(QRect(52, y, size.width() - 64, kScoreLineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        y += kScoreLineHeight;
    }
}

bool WriteReviewPicture(const ReviewPlot& plot, const std::filesystem::path& file,
                        std::string* error) {
    const ReviewFileKind kind = ReviewFileKindOf(file);
    const auto fail = [&](const std::string& why) {
        if (error) *error = "cannot write the review " + file.string() + why;
        return false;
    };
    if (kind != ReviewFileKind::Png && kind != ReviewFileKind::Svg) {
        return fail(": give a .png or .svg file");
    }

    EnsureGuiApplication();
    const ReviewChart chart(plot);
    const QString name = QString::fromStdString(file.string());
    if (kind == ReviewFileKind::Png) {
        QImage image(kReviewPictureSize, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintReviewPage(painter, chart, kReviewPictureSize);
        painter.end();
        return image.save(name, "PNG") ? true : fail("");
    }
    // The SVG generator reports no failure to open its file; check first.
    if (!std::ofstream(file)) return fail("");
    QSvgGenerator svg;
    svg.setFileName(name);
    svg.setSize(kReviewPictureSize);
    svg.setViewBox(QRect(QPoint(0, 0), kReviewPictureSize));
    svg.setTitle(QString::fromStdString(plot.lineName));
    QPainter painter;
    if (!painter.begin(&svg)) return fail("");
    PaintReviewPage(painter, chart, kReviewPictureSize);
    return painter.end() ? true : fail("");
}

}  // namespace kelvaron
