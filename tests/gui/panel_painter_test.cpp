#include "gui/panel_painter.h"

#include <gtest/gtest.h>

#include <QtGui/QPainter>

#include "gui_test_app.h"

namespace kelvaron {
namespace {

constexpr uint32_t kKey = 0xFFFF00FF;  // magenta, the pictures' transparent colour
constexpr uint32_t kRed = 0xFFFF0000;

std::shared_ptr<const Picture> Filled(int w, int h, uint32_t colour) {
    Picture p;
    p.width = w;
    p.height = h;
    p.pixels.assign(static_cast<size_t>(w * h), colour);
    return std::make_shared<const Picture>(std::move(p));
}

// A 9 x 9 needle pointing straight up: red from the centre (4,4) to the top.
std::shared_ptr<const Picture> UpNeedle() {
    Picture p;
    p.width = 9;
    p.height = 9;
    p.pixels.assign(81, kKey);
    for (int y = 0; y <= 4; ++y) p.pixels[static_cast<size_t>(y * 9 + 4)] = kRed;
    return std::make_shared<const Picture>(std::move(p));
}

QImage Paint(const PanelModel& panel, const QImage& cab = QImage()) {
    test::GuiApp();
    QImage out(64, 64, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    PanelPainter painter;
    painter.Paint(p, panel, cab);
    return out;
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

TEST(PanelPainterTest, TransparentPicturesLeaveTheirKeyColourUndrawn) {
    PanelModel panel;
    PanelControl under;
    under.left = 0, under.top = 0, under.width = 10, under.height = 10;
    under.picture = Filled(10, 10, 0xFF0000FF);
    panel.Add(under);
    PanelControl lamp;
    lamp.left = 0, lamp.top = 0, lamp.width = 4, lamp.height = 4;
    lamp.transparent = true;
    Picture dot = *Filled(4, 4, kKey);
    dot.pixels[0] = 0xFF00FF00;  // top-left lit; bottom-left (the key) stays magenta
    lamp.picture = std::make_shared<const Picture>(dot);
    panel.Add(lamp);
    PanelControl hidden = lamp;
    hidden.left = 20;
    hidden.visible = false;
    panel.Add(hidden);

    const QImage out = Paint(panel);
    EXPECT_EQ(At(out, 0, 0), 0x00FF00u);  // the lamp's lit pixel
    EXPECT_EQ(At(out, 1, 1), 0x0000FFu);  // its key colour shows the picture beneath
    EXPECT_EQ(At(out, 20, 0), 0u);        // a hidden control draws nothing
}

TEST(PanelPainterTest, PicturesAreCutAtTheControlsEdge) {
    PanelModel panel;
    PanelControl small;
    small.left = 2, small.top = 2, small.width = 3, small.height = 3;
    small.picture = Filled(10, 10, 0xFFFFFFFF);
    panel.Add(small);
    const QImage out = Paint(panel);
    EXPECT_EQ(At(out, 4, 4), 0xFFFFFFu);
    EXPECT_EQ(At(out, 5, 5), 0u);
}

TEST(PanelPainterTest, NeedlesTurnClockwiseAboutTheirCentre) {
    PanelModel panel;
    PanelControl needle;
    needle.kind = PanelControl::Kind::Needle;
    needle.left = 10, needle.top = 10, needle.width = 9, needle.height = 9;
    needle.transparent = true;
    needle.picture = UpNeedle();
    const size_t at = panel.Add(needle);

    // At 0 degrees the needle points up from the centre (14.5, 14.5) of the control.
    QImage out = Paint(panel);
    EXPECT_EQ(At(out, 14, 11), 0xFF0000u);
    EXPECT_EQ(At(out, 17, 14), 0u);
    // A quarter turn clockwise points it to the right; 450 is the same angle.
    for (int angle : {90, 450}) {
        panel.At(at).angle = angle;
        out = Paint(panel);
        EXPECT_EQ(At(out, 17, 14), 0xFF0000u) << angle;
        EXPECT_EQ(At(out, 14, 11), 0u) << angle;
    }
}

TEST(PanelPainterTest, TheCabViewAndTheClockHandsAreDrawnInTheirControls) {
    PanelModel panel;
    PanelControl ground;
    ground.width = 64, ground.height = 64;
    ground.picture = Filled(64, 64, 0xFFFFFFFF);
    panel.Add(ground);
    PanelControl unten;
    unten.name = "unten";
    unten.width = 8, unten.height = 8;
    panel.Add(unten);
    PanelControl clock;
    clock.name = "clock";
    clock.left = 10, clock.top = 10, clock.width = 50, clock.height = 50;
    clock.transparent = true;
    panel.Add(clock);
    // Hour hand 15 px straight up, minute hand to the right beyond the face.
    panel.Clock() = ClockHands{true, {25, 25, 25, 10}, {25, 25, 60, 25}, {25, 25, 25, 25}};

    QImage cab(480, 240, QImage::Format_RGB32);
    cab.fill(QColor(0, 0, 200));
    const QImage out = Paint(panel, cab);
    EXPECT_EQ(At(out, 3, 3), 200u);         // the cab view inside "unten"
    EXPECT_EQ(At(out, 9, 3), 0xFFFFFFu);    // and cut at its edge
    EXPECT_EQ(At(out, 35, 22), 0u);         // the hour hand, black
    EXPECT_EQ(At(out, 59, 35), 0u);         // the minute hand up to the face's edge
    EXPECT_EQ(At(out, 61, 35), 0xFFFFFFu);  // but not beyond it
    EXPECT_EQ(At(out, 45, 45), 0xFFFFFFu);  // the cleared face is left out
}

}  // namespace
}  // namespace kelvaron
