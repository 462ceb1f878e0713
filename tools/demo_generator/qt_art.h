#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <filesystem>
#include <string>

#include "common/picture.h"

namespace kelvaron::demo {

// Pictures drawn with Qt, converted to and from the simulator's Picture and
// saved in the formats the data files name.

Picture ToPicture(const QImage& image);
QImage ToImage(const Picture& picture);

// A Japanese-capable font of `pixels` height.
QFont JapaneseFont(int pixels, bool bold = false);
QString Text(const std::string& utf8);

// A blank picture filled with `fill`.
QImage NewImage(int width, int height, QColor fill);

// Saves as 24-bit BMP or as JPEG (quality 0..100); creates the folders.
// False when the file cannot be written.
bool SaveBmp(const QImage& image, const std::filesystem::path& file);
bool SaveJpeg(const QImage& image, const std::filesystem::path& file, int quality = 88);

// Text centred in a rectangle.
void DrawCentred(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                 QColor colour);

}  // namespace kelvaron::demo
