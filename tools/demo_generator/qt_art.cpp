#include "qt_art.h"

#include <cstring>

namespace kelvaron::demo {

Picture ToPicture(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture;
    picture.width = argb.width();
    picture.height = argb.height();
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(picture.pixels.data() + static_cast<size_t>(y) * picture.width,
                    argb.constScanLine(y), static_cast<size_t>(picture.width) * 4);
    }
    return picture;
}

QImage ToImage(const Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(image.scanLine(y),
                    picture.pixels.data() + static_cast<size_t>(y) * picture.width,
                    static_cast<size_t>(picture.width) * 4);
    }
    return image;
}

QFont JapaneseFont(int pixels, bool bold) {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(std::max(1, pixels));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QImage NewImage(int width, int height, QColor fill) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

namespace {

bool Save(const QImage& image, const std::filesystem::path& file, const char* format, int quality) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return image.save(QString::fromStdString(file.string()), format, quality);
}

}  // namespace

bool SaveBmp(const QImage& image, const std::filesystem::path& file) {
    return Save(image.convertToFormat(QImage::Format_RGB888), file, "BMP", -1);
}

bool SaveJpeg(const QImage& image, const std::filesystem::path& file, int quality) {
    return Save(image.convertToFormat(QImage::Format_RGB32), file, "JPG", quality);
}

void DrawCentred(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                 QColor colour) {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

}  // namespace kelvaron::demo
