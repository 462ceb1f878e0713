#pragma once

#include <QtCore/QSize>
#include <filesystem>
#include <string>

#include "shell/run_review.h"

class QPainter;

namespace kelvaron {

class ReviewChart;

// The size of an exported review: wide enough for a line's stations to be told apart.
inline constexpr QSize kReviewPictureSize(1600, 900);

// Text needs Qt's font database, which needs an application object: makes
// one that draws off screen for a program that has none (the headless
// runner has no display).
void EnsureGuiApplication();

// The exported page: the whole run's chart with the score beneath it.
void PaintReviewPage(QPainter& painter, const ReviewChart& chart, QSize size);

// Writes the review as a PNG or SVG picture, by the file's extension. False
// with the reason in `error` when it cannot.
bool WriteReviewPicture(const ReviewPlot& plot, const std::filesystem::path& file,
                        std::string* error);

}  // namespace kelvaron
