#include "gui/review_window.h"

#include <gtest/gtest.h>

#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QApplication>

#include "run_window_fixture.h"
#include "shell/hand_made_review.h"

namespace kelvaron {
namespace {

class ReviewWindowTest : public ::testing::Test {
  protected:
    ReviewWindowTest() {
        window.resize(1000, 600);
        window.show();
    }
    // The x of a place on the line in the chart as it stands.
    double XOf(double metres) {
        const QRectF plot = ReviewChart::PlotRect(window.ChartView().rect());
        const auto span = window.Span();
        return plot.left() + (metres - span.from) / (span.to - span.from) * plot.width();
    }
    void MoveTo(double x, Qt::MouseButtons buttons = Qt::NoButton) {
        const QPointF at(x, 200);
        QMouseEvent move(QEvent::MouseMove, at, window.ChartView().mapToGlobal(at), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(&window.ChartView(), &move);
    }

    QApplication& app = test::GuiApp();
    test::HandMadeReview made;
    ReviewWindow window{made.review, made.summary};
};

TEST_F(ReviewWindowTest, HoverShowsTheValuesAtThatPlace) {
    MoveTo(XOf(1000));
    // The refresh at 1000 m: 10:00:50 (1081500 ticks), 60 km/h under the
    // pattern of the 45 km/h limit 500 m on (111.258 km/h), power notch 3.
    EXPECT_EQ(window.HoverText(), QStringList({"1.00 km  10:00:50", "speed 60.0 km/h",
                                               "pattern brakes above 111.3 km/h", "P3"}));
    MoveTo(XOf(1510));
    EXPECT_EQ(window.HoverText(),
              QStringList({"1.50 km  10:01:20", "speed 45.0 km/h  limit 45 km/h", "N  B2"}));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&window.ChartView(), &leave);
    EXPECT_TRUE(window.HoverText().isEmpty());
}

TEST_F(ReviewWindowTest, TheWheelZoomsAboutTheMouseAndADragPans) {
    // The whole run: stations and refreshes span 50 m to 2001.5 m, 50 m of
    // room either side.
    EXPECT_DOUBLE_EQ(window.Span().from, 0);
    EXPECT_DOUBLE_EQ(window.Span().to, 2051.5);
    const QPointF at(XOf(1000), 200);
    QWheelEvent wheel(at, window.ChartView().mapToGlobal(at), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&window.ChartView(), &wheel);
    // One notch in: 1000 m stays put, either side shrinks by 1.25.
    EXPECT_NEAR(window.Span().from, 1000 - 1000 / 1.25, 1e-6);
    EXPECT_NEAR(window.Span().to, 1000 + 1051.5 / 1.25, 1e-6);

    // Dragging right by a tenth of the plot brings a tenth of the span in from the left.
    const double width = window.Span().to - window.Span().from;
    const double tenth = ReviewChart::PlotRect(window.ChartView().rect()).width() / 10;
    const double from = window.Span().from;
    QMouseEvent press(QEvent::MouseButtonPress, at, window.ChartView().mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window.ChartView(), &press);
    MoveTo(at.x() + tenth, Qt::LeftButton);
    EXPECT_NEAR(window.Span().from, from - width / 10, 1e-6);
    // Never past the start of the run.
    MoveTo(at.x() + 20 * tenth, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(window.Span().from, 0);
    EXPECT_NEAR(window.Span().to, width, 1e-6);
}

using RunReviewWindowTest = RunWindowFixture;

std::vector<ReviewWindow*> ReviewWindows() {
    std::vector<ReviewWindow*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* review = dynamic_cast<ReviewWindow*>(w); review && review->isVisible()) {
            found.push_back(review);
        }
    }
    return found;
}

TEST_F(RunReviewWindowTest, TheDisplayMenuAndTheEndOfARunShowTheReview) {
    // A run closed before it was started has nothing to look back on.
    window->close();
    EXPECT_TRUE(ReviewWindows().empty());

    Open();
    window->MenuCommand("start1");
    wallMs = 1000;
    window->Pump();
    window->MenuCommand("Review1");
    auto shown = ReviewWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0]->windowTitle().indexOf(QString::fromUtf8("走行の振り返り")), -1);
    shown[0]->close();

    window->close();
    shown = ReviewWindows();
    ASSERT_EQ(shown.size(), 1u);
    shown[0]->close();
}

}  // namespace
}  // namespace kelvaron
