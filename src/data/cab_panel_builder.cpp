#include "data/cab_panel_builder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "data/data_pictures.h"

namespace kelvaron {

namespace {

enum class Visibility { NotSet, Hidden, Shown };

struct LampSetting {
    Visibility visibility;
    bool transparent;  // false: left at the control's default, opaque
};

// Indexed like kLampInfo. Lamp_EB stays visible here; start-up hides it once
// the whole run is set up.
constexpr std::array<LampSetting, kLampCount> kLampSettings{{
    {Visibility::NotSet, true},   // Lamp_Door
    {Visibility::NotSet, true},   // Lamp_Power
    {Visibility::NotSet, true},   // Lamp_EB
    {Visibility::NotSet, true},   // Lamp_Gen
    {Visibility::NotSet, false},  // Lamp_Air
    {Visibility::NotSet, true},   // Lamp_Ele
    {Visibility::Hidden, true},   // Lamp_Ats
    {Visibility::Hidden, false},  // Lamp_Atsp1
    {Visibility::Hidden, false},  // Lamp_Atsp2
    {Visibility::Hidden, true},   // Lamp_G
    {Visibility::Hidden, true},   // Lamp_YG
    {Visibility::Hidden, true},   // Lamp_Y
    {Visibility::Hidden, true},   // Lamp_YY
    {Visibility::Hidden, true},   // Lamp_R
    {Visibility::Shown, true},    // Lamp_Fwd
    {Visibility::Hidden, true},   // Lamp_Bck
}};

// The needles are stacked in this order, which differs from the file's.
constexpr std::array<NeedleIndex, kNeedleCount> kNeedleBuildOrder{
    kNeedleSpeed, kNeedleSAP, kNeedleER, kNeedleBP, kNeedleMR, kNeedleBC, kNeedleV, kNeedleI};

// Entries from this index on start hidden; the refresh brings them in.
constexpr size_t kFirstHiddenOther = 5;

// Client width of the window: the timetable card waits just beyond it.
constexpr int32_t kClientWidth = 640;

// A place read from the file moved by a fixed offset, held to the 32-bit range
// so that extreme values in a data file cannot overflow.
int32_t Offset(int32_t value, int32_t delta) {
    const int64_t moved = static_cast<int64_t>(value) + delta;
    return static_cast<int32_t>(std::clamp<int64_t>(moved, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

PanelControl Image(std::string name, int32_t left, int32_t top, int32_t width, int32_t height) {
    PanelControl c;
    c.kind = PanelControl::Kind::Image;
    c.name = std::move(name);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

PanelControl AutoSizeImage(std::string name, int32_t left, int32_t top) {
    PanelControl c = Image(std::move(name), left, top, 0, 0);
    c.autoSize = true;
    return c;
}

PanelControl Label(std::string name, int32_t left, int32_t top, std::string text) {
    PanelControl c;
    c.kind = PanelControl::Kind::Label;
    c.name = std::move(name);
    c.left = left;
    c.top = top;
    c.autoSize = true;
    c.text = std::move(text);
    return c;
}

class PanelBuilder {
  public:
    PanelBuilder(const std::filesystem::path& dataDir, PictureLoader& pictures, PanelModel& panel,
                 std::string& error)
        : dataDir_(dataDir), pictures_(pictures), panel_(panel), error_(error) {}

    void Add(PanelControl control) { panel_.Add(std::move(control)); }

    // Adds a control showing the named picture; an empty name leaves it without
    // one. An auto-size control takes the picture's size.
    bool AddWithPicture(PanelControl control, const std::string& fileName, PictureFormats formats) {
        if (!fileName.empty()) {
            std::string why;
            auto picture = LoadDataPicture(pictures_, dataDir_, fileName, formats, why);
            if (!picture) {
                error_ = PictureNotFoundMessage(fileName, why);
                return false;
            }
            if (control.autoSize) {
                control.width = picture->width;
                control.height = picture->height;
            }
            control.picture = std::make_shared<const Picture>(std::move(*picture));
        }
        Add(std::move(control));
        return true;
    }

  private:
    const std::filesystem::path& dataDir_;
    PictureLoader& pictures_;
    PanelModel& panel_;
    std::string& error_;
};

// The window's own pictures, under everything the train file adds.
void AddFixedPictures(PanelBuilder& b) {
    b.Add(Image("unten", 0, 0, 480, 240));
    b.Add(Image("SignalImage", 500, 10, 50, 100));
    b.Add(AutoSizeImage("SlopeImage", 564, 176));
    b.Add(Image("SpeedLimitImage", 500, 176, 50, 50));
    b.Add(AutoSizeImage("stop", 564, 10));
    b.Add(AutoSizeImage("stopline", 480, 0));
    b.Add(Image("OtherImage", 500, 256, 100, 50));
    PanelControl image3 = Image("Image3", 238, 207, 72, 72);
    image3.transparent = true;
    b.Add(std::move(image3));
}

// The window's read-outs. They lie inside the area a train's panel picture
// covers, so they go over the panel (a read-out under an opaque panel picture
// could not be read), but under the timetable card, which slides over them.
void AddFixedLabels(PanelBuilder& b) {
    b.Add(Label("digi_speed", 496, 384, "0km/h"));
    b.Add(Label("Label1", 496, 313, "FWD"));
    b.Add(Label("PowerLabel", 544, 313, "N"));
    b.Add(Label("BrakeLabel", 584, 313, "EB"));
    b.Add(Label("Label3", 544, 417, "00:00:00"));
    PanelControl label4 = Label("Label4", 496, 337, "Train Position");
    label4.autoSize = false;
    label4.width = 137;
    label4.height = 19;
    b.Add(std::move(label4));
    b.Add(Label("CarsLabel", 495, 361, "Cars"));
    PanelControl gear = Label("GearLabel", 496, 407, "Gear");
    gear.visible = false;
    b.Add(std::move(gear));
    b.Add(Label("SignalLabel", 500, 112, ""));
    b.Add(Label("SlopeText", 564, 225, ""));
}

bool AddPanelPictures(PanelBuilder& b, const TrainConfig& train) {
    if (!b.AddWithPicture(AutoSizeImage("Panel", train.Panel.Left, train.Panel.Top),
                          train.Panel.FileName, PictureFormats::BitmapOrJpeg)) {
        return false;
    }
    PanelControl panel2 = AutoSizeImage("Panel2", train.Panel2.Left, train.Panel2.Top);
    panel2.visible = false;
    return b.AddWithPicture(std::move(panel2), train.Panel2.FileName, PictureFormats::BitmapOrJpeg);
}

void AddClock(PanelBuilder& b, const ClockFace& clock) {
    PanelControl c = Image("clock", Offset(clock.X, -25), Offset(clock.Y, -25), 50, 50);
    c.transparent = true;
    b.Add(std::move(c));
}

bool AddLamps(PanelBuilder& b, const TrainConfig& train) {
    for (int i = 0; i < kLampCount; ++i) {
        const Lamp& lamp = train.Lamps[static_cast<size_t>(i)];
        const LampSetting& setting = kLampSettings[static_cast<size_t>(i)];
        PanelControl c = AutoSizeImage(
            std::string(kLampInfo[static_cast<size_t>(i)].component.Text()), lamp.Left, lamp.Top);
        if (setting.visibility != Visibility::NotSet)
            c.visible = setting.visibility == Visibility::Shown;
        if (setting.transparent) c.transparent = true;
        if (!b.AddWithPicture(std::move(c), lamp.FileName, PictureFormats::BitmapOrJpeg))
            return false;
    }
    return true;
}

void AddIndicator(PanelBuilder& b, std::string name, const ImageListPlace& place,
                  const ImageList& list) {
    PanelControl c = Image(std::move(name), place.Left, place.Top, list.Width(), list.Height());
    c.transparent = true;
    b.Add(std::move(c));
}

bool AddNeedles(PanelBuilder& b, const TrainConfig& train) {
    for (NeedleIndex index : kNeedleBuildOrder) {
        const Meter& meter = train.Needles[static_cast<size_t>(index)];
        if (meter.FileName.empty()) continue;  // absent: the refresh skips it
        PanelControl c;
        c.kind = PanelControl::Kind::Needle;
        c.name = kNeedleInfo[static_cast<size_t>(index)].component.Text();
        c.left = meter.Left;
        c.top = meter.Top;
        c.width = meter.Width;
        c.height = meter.Height;
        c.transparent = true;
        if (!b.AddWithPicture(std::move(c), meter.FileName, PictureFormats::BitmapOnly))
            return false;
    }
    return true;
}

bool AddOthers(PanelBuilder& b, const TrainConfig& train) {
    for (size_t i = 0; i < train.Others.size(); ++i) {
        const Lamp& other = train.Others[i];
        PanelControl c = AutoSizeImage("Others" + std::to_string(i), other.Left, other.Top);
        c.transparent = true;
        if (i >= kFirstHiddenOther) c.visible = false;
        if (!b.AddWithPicture(std::move(c), other.FileName, PictureFormats::BitmapOrJpeg))
            return false;
    }
    return true;
}

void AddCaption(PanelBuilder& b) {
    PanelControl c;
    c.kind = PanelControl::Kind::Label;
    c.name = "CaptionLabel";
    c.left = 0;
    c.top = 426;
    c.width = 480;
    c.height = 14;  // down to the bottom of the 440-pixel client area
    c.visible = false;
    c.centred = true;
    c.textColour = 0xFF000000;
    c.background = 0xFFFFFFFF;
    b.Add(std::move(c));
}

}  // namespace

bool BuildCabPanel(const std::filesystem::path& dataDir, const TrainConfig& train,
                   const std::string& staffImageFile, const CabImageLists& images,
                   PictureLoader& pictures, PanelModel& panel, std::string& error) {
    panel = PanelModel{};
    PanelBuilder b(dataDir, pictures, panel, error);

    AddFixedPictures(b);
    if (!AddPanelPictures(b, train)) return false;
    AddClock(b, train.Clock);
    if (!AddLamps(b, train)) return false;
    AddIndicator(b, "Lamp_B", train.NotchImageB, images.NotchImageB);
    AddIndicator(b, "Lamp_P", train.NotchImageP, images.NotchImageP);
    AddIndicator(b, "Lamp_Gear", train.GearImageList, images.GearImageList);
    if (!AddNeedles(b, train)) return false;

    PanelControl stopAlert = Image("Lamp_stopalert", 258, 291, 35, 17);
    stopAlert.visible = false;
    b.Add(std::move(stopAlert));

    if (!AddOthers(b, train)) return false;
    AddFixedLabels(b);
    if (!staffImageFile.empty() &&
        !b.AddWithPicture(AutoSizeImage("StaffImage", kClientWidth, 0), staffImageFile,
                          PictureFormats::BitmapOrJpeg)) {
        return false;
    }
    AddCaption(b);
    // The close button on top of all: it must stay clickable.
    b.Add(Image("back", 618, 417, 20, 20));
    return true;
}

}  // namespace kelvaron
