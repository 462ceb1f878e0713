// The run window on screens of any size: the cab scaled as one picture, full
// screen, the HD video path, the keyboard focus and the places of the value
// and help windows.

#include <gtest/gtest.h>

#include <QtGui/QAction>
#include <QtGui/QMouseEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <random>

#include "platform/ffmpeg/ffmpeg_video_reader.h"
#include "platform/ffmpeg/video_writer.h"
#include "run_window_fixture.h"

namespace kelvaron {
namespace {

class RunWindowDisplayTest : public RunWindowFixture {
  protected:
    // Shows the window and sizes it so that its cab view gets exactly `size`,
    // as the player would by dragging its edge.
    void SizeCab(QSize size) {
        window->show();
        QCoreApplication::processEvents();
        window->resize(window->size() + size - window->View().size());
        QCoreApplication::processEvents();
        ASSERT_EQ(window->View().size(), size);
    }
};

// Device pixels within `where` (everywhere if not given) where two pictures differ.
QRect Changed(const QImage& a, const QImage& b, const QRegion& where) {
    QRect changed;
    for (const QRect& r : where)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) changed |= QRect(x, y, 1, 1);
    return changed;
}
QRect Changed(const QImage& a, const QImage& b) {
    return Changed(a, b, a.rect());
}

QRect Scaled(const PanelControl& c, double scale) {
    return QRectF(c.left * scale, c.top * scale, c.width * scale, c.height * scale).toAlignedRect();
}

// The view at `scale` times the cab's size.
QImage Shot(CabView& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(RunWindowDisplayTest, TheScaledCabDrawsLampsAndNeedlesAtTheirScaledPlaces) {
    PanelModel& panel = window->Run().Panel();
    PanelControl* lamp = panel.Find("Lamp_Air");
    PanelControl* needle = panel.Find("Needle_Speed");
    ASSERT_TRUE(lamp && lamp->visible && !lamp->transparent && needle);
    for (const double scale : {2.0, 1.5}) {
        CabView& view = window->View();
        SizeCab(QSize(static_cast<int>(640 * scale), static_cast<int>(440 * scale)));
        view.PanelChanged();
        EXPECT_DOUBLE_EQ(view.Scale(), scale);

        // An opaque lamp covers its whole scaled place and nothing else:
        // hiding it changes exactly that rectangle (give or take the pixel
        // that smooth scaling shares with the neighbours).
        const QImage lit = Shot(view);
        lamp->visible = false;
        view.PanelChanged();
        const QImage dark = Shot(view);
        lamp->visible = true;
        view.PanelChanged();
        const QRect lampPlace = Changed(lit, dark);
        const QRect expected = Scaled(*lamp, scale);
        EXPECT_LE(std::abs(lampPlace.left() - expected.left()), 1) << scale;
        EXPECT_LE(std::abs(lampPlace.top() - expected.top()), 1) << scale;
        EXPECT_LE(std::abs(lampPlace.right() - expected.right()), 1) << scale;
        EXPECT_LE(std::abs(lampPlace.bottom() - expected.bottom()), 1) << scale;

        // A quarter turn of the needle (from up to right) changes pixels only
        // inside its scaled dial, and over at least half of it each way.
        const QImage up = Shot(view);
        needle->angle = 90;
        view.PanelChanged();
        const QRect turned = Changed(up, Shot(view));
        needle->angle = 0;
        view.PanelChanged();
        const QRect dial = Scaled(*needle, scale).adjusted(-1, -1, 1, 1);
        EXPECT_TRUE(dial.contains(turned)) << scale;
        EXPECT_GE(turned.width(), needle->width * scale / 2) << scale;
        EXPECT_GE(turned.height(), needle->height * scale / 2) << scale;
    }
}

TEST_F(RunWindowDisplayTest, ThePanelRedrawnPieceByPieceLooksAsWhenDrawnWhole) {
    PanelModel& panel = window->Run().Panel();
    std::vector<PanelControl*> needles, labels, pictures;
    for (size_t i = 0; i < panel.Controls().size(); ++i) {
        PanelControl* control = &panel.At(i);
        const PanelControl& c = *control;
        if (c.kind == PanelControl::Kind::Needle) needles.push_back(control);
        if (c.kind == PanelControl::Kind::Label && c.autoSize) labels.push_back(control);
        if (c.kind == PanelControl::Kind::Image && c.picture && c.name != "unten")
            pictures.push_back(control);
    }
    ASSERT_FALSE(needles.empty() || labels.empty() || pictures.empty());
    const PanelControl* video = panel.Find("unten");
    ASSERT_TRUE(video);
    std::mt19937 random(7);
    const auto pick = [&](auto& from) { return from[random() % from.size()]; };
    for (const double scale : {1.0, 1.5}) {
        CabView& view = window->View();
        SizeCab(QSize(static_cast<int>(640 * scale), static_cast<int>(440 * scale)));
        view.PanelChanged();
        const QRect videoPlace = Scaled(*video, scale).adjusted(-1, -1, 1, 1);
        for (int step = 0; step < 15; ++step) {
            // A few controls change at once, far apart or overlapping; labels
            // grow and shrink with their text.
            for (int change = 0; change < 3; ++change) {
                switch (random() % 4) {
                    case 0:
                        pick(needles)->angle = static_cast<int32_t>(random() % 360);
                        break;
                    case 1:
                        pick(labels)->text = std::string(random() % 12, '8');
                        break;
                    case 2:
                        pick(pictures)->visible ^= true;
                        break;
                    case 3:
                        pick(labels)->visible ^= true;
                        break;
                }
            }
            view.PanelChanged();
            const QImage pieces = Shot(view);
            CabView whole(panel);
            whole.resize(view.size());
            const QImage drawn = Shot(whole);
            const QRect differs = Changed(pieces, drawn, QRegion(drawn.rect()) - videoPlace);
            ASSERT_TRUE(differs.isEmpty()) << "from " << differs.x() << "," << differs.y()
                                           << ", scale " << scale << ", step " << step;
        }
    }
}

TEST(CabViewTest, ThePanelIsPaintedWholeAtAnySize) {
    // A picture over the whole cab, drawn in the bands the panel is painted
    // in: not a row of it beside the video may be left out, at whole and
    // broken scales.
    test::GuiApp();
    Picture red;
    red.width = 640;
    red.height = 440;
    red.pixels.assign(640 * 440, 0xFFFF0000u);
    PanelModel panel;
    PanelControl whole;
    whole.width = 640;
    whole.height = 440;
    whole.picture = std::make_shared<const Picture>(std::move(red));
    panel.Add(whole);
    for (const QSize size : {QSize(640, 440), QSize(1088, 748), QSize(1536, 1056)}) {
        CabView view(panel);
        view.resize(size);
        const QImage shot = Shot(view);
        const QRect cab = QRect(QPoint(), size).adjusted(1, 1, -1, -1);
        const QRect video = view.VideoPlace().adjusted(-1, -1, 1, 1);  // the video shows there
        int wrong = 0;
        for (int y = cab.top(); y <= cab.bottom(); ++y)
            for (int x = cab.left(); x <= cab.right(); ++x)
                wrong += !video.contains(x, y) && shot.pixel(x, y) != 0xFFFF0000u;
        EXPECT_EQ(wrong, 0) << size.width();
    }
}

TEST_F(RunWindowDisplayTest, TheCabKeepsItsProportionsCentredInAnyShape) {
    CabView& view = window->View();
    window->MenuCommand("start1");   // no still picture once the run has started
    window->MenuCommand("menu_d2");  // frame 30: the colour 0x00001E
    // 1600 x 440: the height decides (scale 1); the cab stands in the middle.
    SizeCab(QSize(1600, 440));
    QImage shot = Shot(view);
    EXPECT_DOUBLE_EQ(view.Scale(), 1.0);
    EXPECT_EQ(shot.pixel(479, 100) & 0xFFFFFF, 0u);         // left of the cab: black
    EXPECT_EQ(shot.pixel(480 + 100, 100) & 0xFFFFFF, 30u);  // the video from 480 on
    // A click at the scaled close button's place closes the run; its unscaled
    // place is nothing at this size.
    SizeCab(QSize(1280, 880));
    bool closed = false;
    window->onClosed = [&](bool) { closed = true; };
    const auto click = [&](QPointF at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, view.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
    };
    click(QPointF(628, 427));  // the button's middle at 1x
    EXPECT_FALSE(closed);
    click(QPointF(628 * 2, 427 * 2));
    EXPECT_TRUE(closed);
}

TEST_F(RunWindowDisplayTest, AControlOverTheVideoIsDrawnOverItAtItsScaledPlace) {
    CabView& view = window->View();
    window->MenuCommand("start1");
    window->MenuCommand("menu_d2");  // frame 30: the colour 0x00001E
    SizeCab(QSize(1280, 880));
    // Lamps come after the video in the panel, so one moved onto it is drawn
    // over every frame; only its place is blended, and the rest is the video.
    PanelControl* lamp = window->Run().Panel().Find("Lamp_Air");
    ASSERT_TRUE(lamp && !lamp->transparent);
    lamp->left = 100;
    lamp->top = 50;
    lamp->visible = true;
    view.PanelChanged();
    const QImage over = Shot(view);
    lamp->visible = false;
    view.PanelChanged();
    const QImage bare = Shot(view);
    const QRect place = Changed(over, bare);
    const QRect expected = Scaled(*lamp, 2.0);
    EXPECT_LE(std::abs(place.left() - expected.left()), 1);
    EXPECT_LE(std::abs(place.top() - expected.top()), 1);
    EXPECT_LE(std::abs(place.right() - expected.right()), 1);
    EXPECT_LE(std::abs(place.bottom() - expected.bottom()), 1);
    EXPECT_EQ(bare.pixel(expected.center()) & 0xFFFFFF, 30u);
    EXPECT_EQ(over.pixel(600, 400) & 0xFFFFFF, 30u);

    // A paint of a ragged region (half the lamp, a strip of the video, a
    // piece of the panel and the border) draws there what a whole paint does.
    lamp->visible = true;
    view.PanelChanged();
    QRegion ragged(QRect(expected.left(), expected.top(), expected.width() / 2, expected.height()));
    ragged += QRect(300, 90, 400, 150);
    ragged += QRect(20, 700, 900, 120);
    QImage piece(view.size(), QImage::Format_RGB32);
    piece.fill(Qt::magenta);
    // The region is drawn with its bounding rectangle at the offset given.
    view.render(&piece, ragged.boundingRect().topLeft(), ragged);
    EXPECT_TRUE(Changed(piece, over, ragged).isEmpty());
    EXPECT_EQ(piece.pixel(expected.right(), expected.bottom()), QColor(Qt::magenta).rgb());
}

TEST_F(RunWindowDisplayTest, F11AndTheDisplayMenuToggleFullScreenAndTheModeIsRemembered) {
    window->show();
    Key(window->View(), Qt::Key_F11, "");
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_TRUE(window->Menus().Action("FullScreen1")->isChecked());
    Key(window->View(), Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(window->isFullScreen());
    // Shift+F11 is the run's own key, not the window's.
    Key(window->View(), Qt::Key_F11, "", Qt::ShiftModifier);
    EXPECT_FALSE(window->isFullScreen());
    window->Menus().Action("FullScreen1")->trigger();
    EXPECT_TRUE(window->isFullScreen());
    window->close();

    // The next run opens as the last one was left.
    Open();
    EXPECT_TRUE(window->windowState() & Qt::WindowFullScreen);
}

TEST_F(RunWindowDisplayTest, TheWindowSizeIsRemembered) {
    const QSize cab(1000, 700);
    SizeCab(cab);
    window->close();
    Open();
    window->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->View().size(), cab);
}

TEST_F(RunWindowDisplayTest, KeysDriveTheCabAgainAfterAMenuIsCancelled) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    window->View().setFocus();
    window->MenuCommand("start1");
    QCoreApplication::processEvents();

    // The Display menu opened from the bar, then cancelled with Escape.
    QMenuBar* bar = window->menuBar();
    QAction* display = window->Menus().Action("Show1");
    ASSERT_TRUE(display && display->menu());
    bar->setActiveAction(display);
    QCoreApplication::processEvents();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_TRUE(popup);
    Key(*popup, Qt::Key_Escape, "\x1b");
    QCoreApplication::processEvents();
    ASSERT_FALSE(QApplication::activePopupWidget());

    // The next driving key goes where the keyboard focus is: the cab.
    QWidget* focus = QApplication::focusWidget();
    ASSERT_TRUE(focus);
    Key(*focus, Qt::Key_Z, "z");
    EXPECT_EQ(window->Run().State().PowerNotch, 1);
}

TEST_F(RunWindowDisplayTest, ValueAndHelpWindowsOpenBesideTheRunWindowAndWhereTheyWereMoved) {
    // Far up and left, so that both windows fit on the test's small screen.
    window->move(-150, -300);
    Key(window->View(), Qt::Key_F5, "");
    window->MenuCommand("menu_d1");
    EXPECT_EQ(values.pos(), QPoint(-150 + 188, -300 + 573));
    EXPECT_EQ(help.pos(), QPoint(-150 + 567, -300 + 341));

    // The player moves the help window and closes it; the next run, wherever
    // its window stands, opens it at the same place beside it. The value
    // window was not moved: it keeps its place beside the new window.
    help.move(300, 100);
    help.hide();
    values.hide();
    window->close();
    Open();
    window->move(-120, -280);
    window->MenuCommand("menu_d1");
    Key(window->View(), Qt::Key_F5, "");
    EXPECT_EQ(help.pos(), QPoint(-120 + 450, -280 + 400));
    EXPECT_EQ(values.pos(), QPoint(-120 + 188, -280 + 573));
}

// A 1280 x 720 video of one-pixel columns, alternately white and black, two
// wide: a pattern the 480 x 240 picture cannot hold.
class HdVideoTest : public RunWindowFixture {
  protected:
    void SetUp() override {
        data = test::MakeTempDir() / "line";
        std::filesystem::copy(test::FixtureDir() / "fixtures", data,
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(data / "movie");
        VideoSettings settings;
        settings.width = 1280;
        settings.height = 720;
        settings.codec = "mjpeg";
        ASSERT_TRUE(WriteTestVideo(
            data / "movie" / "line_basic.avi", settings, 60, [](int32_t, Picture& p) {
                for (int32_t y = 0; y < p.height; ++y)
                    for (int32_t x = 0; x < p.width; ++x)
                        if (x % 4 < 2) p.pixels[static_cast<size_t>(y * p.width + x)] = 0xFFFFFFFF;
            }));
        Open(data, &reader);
    }
    std::filesystem::path data;
    FfmpegVideoReader reader;
};

TEST_F(HdVideoTest, AnHdVideoShownAt1280x640IsDrawnFromItsFullResolutionFrame) {
    CabView& view = window->View();
    // Scale 8/3 to the nearest pixel: the video's place is 1280 x 640.
    window->show();
    QCoreApplication::processEvents();
    window->resize(window->size() + QSize(1707, 1174) - view.size());
    QCoreApplication::processEvents();
    window->MenuCommand("menu_d2");
    ASSERT_EQ(view.VideoPlace().size(), QSize(1280, 640));
    const QImage shot = Shot(view);
    // Columns two pixels wide alternate across the row: every x with x % 4 < 2
    // bright, the others dark (JPEG keeps a little ringing at the edges).
    int wrong = 0;
    for (int x = 0; x < 1280; ++x) {
        const int grey = qGreen(shot.pixel(x, 300));
        if ((x % 4 < 2) != (grey > 128)) ++wrong;
    }
    EXPECT_LT(wrong, 1280 / 50);
}

// Frames drawn straight into the image the window is shown from look as the
// view draws them alone: the lamp over the video blended on them, and the
// panel beside the video untouched where the scaler writes past a row's end.
TEST_F(HdVideoTest, FramesDrawnIntoTheWindowsOwnImageLookAsTheViewDrawsThem) {
    CabView& view = window->View();
    PanelControl* lamp = window->Run().Panel().Find("Lamp_Air");
    ASSERT_TRUE(lamp);
    lamp->left = 100;
    lamp->top = 50;
    lamp->visible = true;
    view.PanelChanged();
    window->show();
    // The cab at its own size, and at sizes whose video rows end inside the
    // scaler's groups of eight pixels (750 and 1138 wide).
    for (const QSize cab : {QSize(640, 440), QSize(1000, 700), QSize(1517, 1043)}) {
        window->resize(window->size() + cab - view.size());
        QCoreApplication::processEvents();
        window->MenuCommand("menu_d2");
        QCoreApplication::processEvents();
        const QImage onScreen = window->screen()
                                    ->grabWindow(window->winId())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32)
                                    .copy(QRect(view.mapTo(window.get(), QPoint()), view.size()));
        const QRect differs = Changed(onScreen, Shot(view));
        EXPECT_TRUE(differs.isEmpty())
            << cab.width() << ": from " << differs.x() << "," << differs.y() << " to "
            << differs.right() << "," << differs.bottom();
    }
}

}  // namespace
}  // namespace kelvaron
