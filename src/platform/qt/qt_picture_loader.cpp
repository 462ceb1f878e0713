#include "platform/qt/qt_picture_loader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace kelvaron {

namespace {

uint32_t Le(const QByteArray& b, int at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// Qt reports success on a bitmap whose pixel rows are cut short and leaves the
// missing pixels uninitialised; such a file is refused so that every run on
// the same data draws the same pictures.
bool BitmapIsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const qint64 size = file.size();
    const QByteArray header = file.read(34);
    if (header.size() < 34) return false;
    const uint32_t pixelsAt = Le(header, 10, 4);
    const int64_t width = static_cast<int32_t>(Le(header, 18, 4));
    const int64_t height = std::llabs(static_cast<int32_t>(Le(header, 22, 4)));
    const int64_t bits = Le(header, 28, 2);
    const uint32_t compression = Le(header, 30, 4);
    if (compression != 0 && compression != 3) return true;  // run-length data: Qt checks it
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return width > 0 && size >= static_cast<int64_t>(pixelsAt) + rowBytes * height;
}

}  // namespace

std::optional<Picture> QtPictureLoader::Load(const std::filesystem::path& file,
                                             PictureFormats formats) {
    const QString path = QString::fromStdString(file.string());
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QByteArray format = reader.format();
    if (format.isEmpty()) return std::nullopt;
    if (formats == PictureFormats::BitmapOnly && format != "bmp") return std::nullopt;
    if (formats == PictureFormats::BitmapOrJpeg && format != "bmp" && format != "jpeg") {
        return std::nullopt;
    }
    if (format == "bmp" && !BitmapIsComplete(path)) return std::nullopt;
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
