#pragma once

#include <QtWidgets/QWidget>
#include <filesystem>
#include <optional>
#include <string>

#include "gui/review_chart.h"
#include "shell/run_review.h"
#include "shell/run_summary.h"

class QLabel;

namespace kelvaron {

// The review of a run in a window of its own: the chart of the drive, which
// the wheel zooms and a drag pans, the values under the mouse, the score, and
// export to PNG, SVG and CSV. It keeps its own copy of the run's review, so
// it stays after the run window has gone.
class ReviewWindow : public QWidget {
  public:
    ReviewWindow(const RunReview& review, const RunSummary& summary, QWidget* parent = nullptr);

    // The chart's own widget, where the mouse zooms, pans and hovers.
    QWidget& ChartView();
    ReviewChart::Span Span() const { return span_; }
    // What the hover shows; empty when the mouse is not over the run.
    QStringList HoverText() const;
    // PNG, SVG or CSV by the file's extension; false with the reason in `error`.
    bool Export(const std::filesystem::path& file, std::string* error) const;

  private:
    class View;
    void ZoomAt(double metres, double factor);
    void PanBy(double pixels);
    void SetSpan(ReviewChart::Span span);
    double MetresAt(double x) const;
    void AskAndExport(const QString& kind);

    RunReview review_;  // for its table
    ReviewChart chart_;
    ReviewChart::Span span_;
    std::optional<double> hoverM_;
    View* chartView_;
};

}  // namespace kelvaron
