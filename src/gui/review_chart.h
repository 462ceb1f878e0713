#pragma once

#include <QtCore/QRectF>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <optional>

#include "shell/run_review.h"

class QPainter;

namespace kelvaron {

// Draws a run's review over distance: the speed with the limits and the
// braking pattern above, the signals, stations and protection events at their
// places, the handle positions below. Needs only QtGui, so the window, the
// picture export and the headless runner draw the very same chart.
class ReviewChart {
  public:
    explicit ReviewChart(ReviewPlot plot);

    // The stretch of line in view, metres.
    struct Span {
        double from = 0;
        double to = 0;
    };
    // The whole run and every station, with a little room either side.
    Span WholeRun() const { return whole_; }

    // The part of `area` the distance axis spans; x pixels map onto it.
    static QRectF PlotRect(const QRectF& area);

    // Draws `span` into `area`; with `hoverM`, a cursor and the values there.
    void Paint(QPainter& painter, const QRectF& area, Span span,
               std::optional<double> hoverM = std::nullopt) const;

    // The refresh nearest to a place, and its values as the hover shows them.
    const RunReview::Sample* SampleNear(double metres) const;
    QStringList ValuesAt(double metres) const;

    const QStringList& ScoreLines() const { return scoreLines_; }
    const ReviewPlot& Plot() const { return plot_; }

  private:
    struct Axes;
    void PaintSpeed(QPainter& p, const Axes& a) const;
    void PaintHandles(QPainter& p, const Axes& a) const;
    void PaintMarkers(QPainter& p, const Axes& a) const;
    void PaintHover(QPainter& p, const Axes& a, double metres) const;

    ReviewPlot plot_;
    QStringList scoreLines_;
    Span whole_;
    double topSpeed_ = 0;
};

}  // namespace kelvaron
