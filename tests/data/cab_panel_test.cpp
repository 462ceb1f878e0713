#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <string>

#include "data/cab_panel_builder.h"
#include "data/clock_face.h"
#include "data/data_pictures.h"
#include "data/panel_dump.h"
#include "data/panel_ops.h"
#include "platform/qt/qt_picture_loader.h"
#include "test_support.h"

namespace kelvaron {
namespace {

using Box = std::array<int32_t, 4>;  // left, top, width, height

Box BoxOf(const PanelControl* c) {
    return c ? Box{c->left, c->top, c->width, c->height} : Box{};
}
Box End(const ClockLine& l) {
    return {l.x1, l.y1, l.x2, l.y2};
}

class CabPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::MakeTempDir();
        test::WriteBmp(dir / "image" / "panel.bmp", 160, 200, 0x202020);
        test::WriteBmp(dir / "lamp.bmp", 20, 10, 0xFF0000);
        test::WriteBmp(dir / "needle.bmp", 4, 40, 0xFFFFFF);
        test::WriteBmp(dir / "staff.bmp", 200, 500, 0xFFFFFF);
        test::WriteBmp(dir / "b.bmp", 30, 60, 0x0000FF);
        // Names as a data file writes them: "\" separators, another letter case.
        train.Panel = {"IMAGE\\Panel.BMP", 480, 240};
        train.Panel2 = {"image\\panel.bmp", 480, 240};
        train.Clock = {0, 300, 20};
        for (int i = 0; i < kLampCount; ++i) train.Lamps[i] = {"lamp.bmp", 10 * i, 400};
        for (auto& needle : train.Needles) needle = {"needle.bmp", 520, 260, 40, 30, -135, 1.5L};
        train.Needles[kNeedleER].FileName = "";
        for (int i = 0; i < 7; ++i) train.Others.push_back({"lamp.bmp", i, 0});
        train.NotchImageB = {300, 250};
        auto b = loader.Load(dir / "b.bmp", PictureFormats::BitmapOnly);
        images.NotchImageB.Append(*b);
        images.NotchImageB.Append(*b);
    }
    bool Build(const std::string& staff = "staff.bmp") {
        return BuildCabPanel(dir, train, staff, images, loader, panel, error);
    }

    std::filesystem::path dir;
    TrainConfig train;
    CabImageLists images;
    QtPictureLoader loader;
    PanelModel panel;
    std::string error;
};

TEST_F(CabPanelTest, DrawingOrderPlacesAndInitialTexts) {
    ASSERT_TRUE(Build()) << error;
    std::string names;
    for (const auto& c : panel.Controls()) names += c.name + " ";
    // Window pictures, the train's panel, the read-outs, then the timetable card
    // that slides over them, and the close button on top.
    EXPECT_EQ(names,
              "unten SignalImage SlopeImage SpeedLimitImage stop stopline OtherImage Image3 "
              "Panel Panel2 clock Lamp_Door Lamp_Power Lamp_EB Lamp_Gen Lamp_Air Lamp_Ele "
              "Lamp_Ats Lamp_Atsp1 Lamp_Atsp2 Lamp_G Lamp_YG Lamp_Y Lamp_YY Lamp_R Lamp_Fwd "
              "Lamp_Bck Lamp_B Lamp_P Lamp_Gear Needle_Speed Needle_SAP Needle_BP Needle_MR "
              "Needle_BC Needle_V Needle_I Lamp_stopalert Others0 Others1 Others2 Others3 "
              "Others4 Others5 Others6 digi_speed Label1 PowerLabel BrakeLabel Label3 Label4 "
              "CarsLabel GearLabel SignalLabel SlopeText StaffImage CaptionLabel back ");
    EXPECT_EQ(panel.Text("digi_speed") + panel.Text("Label1") + panel.Text("BrakeLabel") +
                  panel.Text("Label3") + panel.Text("Label4"),
              "0km/hFWDEB00:00:00Train Position");
    EXPECT_FALSE(panel.IsVisible("GearLabel"));
    EXPECT_EQ(BoxOf(panel.Find("Label4")), (Box{496, 337, 137, 19}));

    // Found through "\" and letter case; auto-size takes the picture's size.
    EXPECT_EQ(BoxOf(panel.Find("Panel")), (Box{480, 240, 160, 200}));
    EXPECT_FALSE(panel.Find("Panel")->transparent);
    EXPECT_FALSE(panel.IsVisible("Panel2"));
    EXPECT_EQ(BoxOf(panel.Find("StaffImage")), (Box{640, 0, 200, 500}));
    EXPECT_EQ(BoxOf(panel.Find("Lamp_stopalert")), (Box{258, 291, 35, 17}));
    EXPECT_FALSE(panel.IsVisible("Lamp_stopalert"));
    EXPECT_EQ(BoxOf(panel.Find("CaptionLabel")), (Box{0, 426, 480, 14}));
    EXPECT_FALSE(panel.IsVisible("CaptionLabel"));
}

TEST_F(CabPanelTest, LampVisibilityAndTransparency) {
    ASSERT_TRUE(Build()) << error;
    // One letter per lamp in build order: v visible, h hidden; t transparent, o opaque.
    const std::string visible = "vvvvvvhhhhhhhhvh", transparent = "ttttottoottttttt";
    for (int i = 0; i < kLampCount; ++i) {
        const PanelControl* lamp = panel.Find(kLampInfo[i].component);
        ASSERT_NE(lamp, nullptr) << i;
        EXPECT_EQ(lamp->visible, visible[i] == 'v') << lamp->name;
        EXPECT_EQ(lamp->transparent, transparent[i] == 't') << lamp->name;
        EXPECT_EQ(BoxOf(lamp), (Box{10 * i, 400, 20, 10})) << lamp->name;
    }
}

TEST_F(CabPanelTest, EdgeCasesOfThePanelSections) {
    ASSERT_TRUE(Build("")) << error;
    // Clock at X 0: its image stands at (-25, 300 - 25) and is never drawn on.
    EXPECT_EQ(BoxOf(panel.Find("clock")), (Box{-25, 275, 50, 50}));
    DrawClockFace(panel, train.Clock, 324000);
    EXPECT_FALSE(panel.Clock().drawn);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(panel.IsVisible("Others" + std::to_string(i)), i < 5);
    EXPECT_EQ(panel.Find("Needle_ER"), nullptr);
    EXPECT_EQ(panel.Find("StaffImage"), nullptr);
    SetNeedleAngle(panel, kNeedleER, 90);  // absent: skipped

    train.Lamps[kLampYG].FileName = "image\\nolamp.bmp";
    EXPECT_FALSE(Build());
    EXPECT_EQ(error, "image\\nolamp.bmpが見つかりません");
}

TEST_F(CabPanelTest, NeedlesTakeBitmapsOnlyWhileThePanelTakesJpeg) {
    QImage jpeg(16, 16, QImage::Format_RGB32);
    jpeg.fill(Qt::gray);
    ASSERT_TRUE(jpeg.save(QString::fromStdString((dir / "pic.jpg").string()), "JPG"));
    train.Panel.FileName = "pic.jpg";
    ASSERT_TRUE(Build()) << error;
    EXPECT_EQ(panel.Find("Panel")->width, 16);
    train.Needles[kNeedleV].FileName = "pic.jpg";
    EXPECT_FALSE(Build());
    EXPECT_EQ(error, "pic.jpgが見つかりません: not a BMP picture");
}

TEST_F(CabPanelTest, NotchIndicatorsAndImageListEntries) {
    ASSERT_TRUE(Build()) << error;
    PanelControl* b = panel.Find("Lamp_B");
    EXPECT_EQ(BoxOf(b), (Box{300, 250, 30, 60}));
    EXPECT_TRUE(b->transparent);
    EXPECT_EQ(b->picture, nullptr);
    EXPECT_EQ(panel.Find("Lamp_P")->width, 0);  // its list is empty

    // Entry 1 is drawn; entries the list does not hold draw nothing.
    DrawImageListEntry(panel, "Lamp_B", images.NotchImageB, 1);
    EXPECT_EQ(b->picture, images.NotchImageB.Get(1));
    DrawImageListEntry(panel, "Lamp_B", images.NotchImageB, 2);
    EXPECT_EQ(b->picture, images.NotchImageB.Get(1));
    b->picture = nullptr;
    DrawImageListEntry(panel, "Lamp_B", images.NotchImageB, -1);
    EXPECT_EQ(b->picture, nullptr);
}

TEST_F(CabPanelTest, NeedleAnglesRoundHalfToEven) {
    ASSERT_TRUE(Build()) << error;
    PanelControl* needle = panel.Find("Needle_Speed");
    EXPECT_EQ(BoxOf(needle), (Box{520, 260, 40, 30}));
    EXPECT_EQ(needle->angle, 0);  // until the first refresh
    const Meter& speed = train.Needles[kNeedleSpeed];
    // -135 + 1.5 * 161 = 106.5 -> 106; -135 + 1.5 * 163 = 109.5 -> 110.
    EXPECT_EQ(NeedleAngle(speed, 161), 106);
    EXPECT_EQ(NeedleAngle(speed, 163), 110);
    // 490 kPa stored 4 900 000: (1.5 * 4 900 000 - 1 350 000) / 10 000 = 600.
    EXPECT_EQ(NeedleAngleFixed4(speed, 4900000), 600);
    // 0.5 * 5 kPa = 2.5 -> 2; 0.5 * 7 kPa = 3.5 -> 4.
    const Meter half{"n.bmp", 0, 0, 0, 0, 0, 0.5L};
    EXPECT_EQ(NeedleAngleFixed4(half, 50000) * 10 + NeedleAngleFixed4(half, 70000), 24);
    SetNeedleAngle(panel, kNeedleSpeed, 600);  // a full turn and 240
    EXPECT_EQ(needle->angle, 240);
}

TEST(ClockFace, HandEndsForExactTimes) {
    // R 20, hour hand Round(0.6 * 20) = 12. 3:00: hour points right, the others up.
    ClockHands h = ComputeClockHands(3 * 108000, 20);
    EXPECT_EQ(End(h.hour), (Box{25, 25, 37, 25}));
    EXPECT_EQ(End(h.minute), (Box{25, 25, 25, 5}));
    EXPECT_EQ(End(h.second), (Box{25, 25, 25, 5}));
    // 9:30: hour 285 deg -> (12 sin, -12 cos) = (-11.59, -3.11); minute 180 deg, down.
    h = ComputeClockHands((9 * 3600 + 30 * 60) * 30, 20);
    EXPECT_EQ(End(h.hour), (Box{25, 25, 13, 22}));
    EXPECT_EQ(End(h.minute), (Box{25, 25, 25, 45}));
    // 0:00:15 plus 29 ticks (truncated): minute 1.5 deg -> (0.52, -19.99); second 90 deg.
    h = ComputeClockHands(15 * 30 + 29, 20);
    EXPECT_EQ(End(h.minute), (Box{25, 25, 26, 5}));
    EXPECT_EQ(End(h.second), (Box{25, 25, 45, 25}));
    // 7:05:09, R 30 (hour 18): 212.5 deg -> (-9.67, 15.18); 30.9 deg -> (15.41, -25.74);
    // 54 deg -> (24.27, -17.63).
    h = ComputeClockHands((7 * 3600 + 5 * 60 + 9) * 30, 30);
    EXPECT_EQ(End(h.hour), (Box{25, 25, 15, 40}));
    EXPECT_EQ(End(h.minute), (Box{25, 25, 40, -1}));
    EXPECT_EQ(End(h.second), (Box{25, 25, 49, 7}));
    // 25:00 is not taken modulo 24: 750 deg is 1 o'clock, (6, -10.39).
    EXPECT_EQ(End(ComputeClockHands(2700000, 20).hour), (Box{25, 25, 31, 15}));

    PanelModel panel;
    DrawClockFace(panel, ClockFace{100, -1, 20}, 3 * 108000);
    EXPECT_FALSE(panel.Clock().drawn);
    DrawClockFace(panel, ClockFace{100, 300, 20}, 3 * 108000);
    EXPECT_EQ(End(panel.Clock().hour), (Box{25, 25, 37, 25}));
}

TEST_F(CabPanelTest, DumpIsValidJsonInDrawingOrder) {
    ASSERT_TRUE(Build()) << error;
    const std::string text = "駅 \"A\\B\"\n\x01";
    panel.SetText("Label4", text);
    SetNeedleAngle(panel, kNeedleBC, -45);
    DrawClockFace(panel, ClockFace{100, 100, 20}, 3 * 108000);

    const std::string json = PanelModelToJson(panel);
    QJsonParseError parseError;
    QJsonObject doc =
        QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json;
    QJsonArray controls = doc["controls"].toArray();
    ASSERT_EQ(controls.size(), static_cast<qsizetype>(panel.Controls().size()));
    EXPECT_EQ(controls[0].toObject()["name"].toString(), "unten");
    EXPECT_TRUE(controls[0].toObject()["picture"].isNull());
    for (const auto& value : controls) {
        QJsonObject c = value.toObject();
        if (c["name"] == "Panel") {
            EXPECT_EQ(c["picture"].toString(), "160x200");
        } else if (c["name"] == "Label4") {
            EXPECT_EQ(c["text"].toString().toStdString(), text);
        } else if (c["name"] == "Needle_BC") {
            EXPECT_EQ(c["angle"].toInt(), -45);
        }
    }
    EXPECT_EQ(doc["clock"].toObject()["hour"].toArray()[2].toInt(), 37);
}

TEST(PictureBudget, ThePicturesOfARunShareOneBudget) {
    // A file may name one large picture any number of times: each counts.
    const auto dir = test::MakeTempDir();
    test::WriteBmp(dir / "p.bmp", 8, 8, 0);
    QtPictureLoader loader;
    PictureBudget budget(loader, 100);
    EXPECT_TRUE(budget.Load(dir / "p.bmp", PictureFormats::BitmapOnly).has_value());  // 64 of 100
    std::string why;
    EXPECT_FALSE(budget.Load(dir / "p.bmp", PictureFormats::BitmapOnly, &why).has_value());
    EXPECT_EQ(why, "the pictures of the run would take more than 256 MB");
}

}  // namespace
}  // namespace kelvaron
