#include "platform/qt/qt_picture_loader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "common/data_path.h"

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
    const int64_t pixelsAt = Le(header, 10, 4);
    const int64_t width = static_cast<int32_t>(Le(header, 18, 4));
    const int64_t height = std::llabs(static_cast<int32_t>(Le(header, 22, 4)));
    const int64_t bits = Le(header, 28, 2);
    const uint32_t compression = Le(header, 30, 4);
    if (compression != 0 && compression != 3) return true;  // run-length data: Qt checks it
    if (width <= 0 || size < pixelsAt) return false;
    // Each factor fits 45 bits; their product is compared by division so that
    // no header can overflow it.
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    return rowBytes == 0 || height <= (size - pixelsAt) / rowBytes;
}

std::optional<Picture> Decode(QImageReader& reader) {
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return std::nullopt;

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

}  // namespace

std::optional<Picture> QtPictureLoader::Load(const std::filesystem::path& file,
                                             PictureFormats formats, std::string* why) {
    auto refuse = [why](std::string_view reason) -> std::optional<Picture> {
        if (why) *why = std::string(reason);
        return std::nullopt;
    };
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return refuse(std::strerror(ENOENT));
    if (!std::filesystem::is_regular_file(file, ec)) return refuse(kNotARegularFile);

    const QString path = QString::fromStdString(file.string());
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const bool bitmap = format == "bmp";
    if (formats == PictureFormats::BitmapOnly && !bitmap) return refuse("not a BMP picture");
    if (!bitmap && format != "jpeg") return refuse("not a BMP or JPEG picture");

    // The header's size, before anything is decoded: a small file can claim a
    // picture of gigabytes.
    const QSize size = reader.size();
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return refuse(kPictureTooLarge);
    }
    if (bitmap && !BitmapIsComplete(path)) return refuse("the picture data is cut short");
    try {
        if (auto picture = Decode(reader)) return picture;
    } catch (const std::bad_alloc&) {
        return refuse(kPictureOutOfMemory);
    }
    return refuse("the picture cannot be decoded");
}

}  // namespace kelvaron
