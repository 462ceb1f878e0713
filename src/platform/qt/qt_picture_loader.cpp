#include "platform/qt/qt_picture_loader.h"

#include <QImage>
#include <QImageReader>
#include <QString>

namespace kelvaron {

std::optional<Picture> QtPictureLoader::Load(const std::filesystem::path& file,
                                             PictureFormats formats) {
    QImageReader reader(QString::fromStdString(file.string()));
    reader.setDecideFormatFromContent(true);
    QByteArray format = reader.format();
    if (format.isEmpty()) return std::nullopt;
    if (formats == PictureFormats::BitmapOnly && format != "bmp") return std::nullopt;
    if (formats == PictureFormats::BitmapOrJpeg && format != "bmp" && format != "jpeg") {
        return std::nullopt;
    }
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    image = image.convertToFormat(QImage::Format_ARGB32);

    Picture picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        std::copy(row, row + picture.width,
                  picture.pixels.begin() + static_cast<ptrdiff_t>(y) * picture.width);
    }
    return picture;
}

}  // namespace kelvaron
