#include "cab_design.h"

#include <array>
#include <cmath>
#include <utility>

#include "data/train_config.h"

namespace kelvaron::demo {

namespace {

struct LampKind {
    const char* section;
    const char* name;
    const char* label;
    unsigned colour;
};

const LampKind kLamps[] = {
    {"[Lamp_Door]", "door", "戸閉", 0xFF9628},    {"[Lamp_Power]", "power", "力行", 0x9CE65A},
    {"[Lamp_EB]", "eb", "EB", 0xFF3C32},          {"[Lamp_Gen]", "gen", "回生", 0x50D2FF},
    {"[Lamp_Air]", "air", "空制", 0xFFD23C},      {"[Lamp_Ele]", "ele", "電制", 0x6EA0FF},
    {"[Lamp_Ats]", "ats", "ATS", 0xFF3C32},       {"[Lamp_ATSP1]", "atsp1", "P接近", 0xFFC832},
    {"[Lamp_ATSP2]", "atsp2", "Pブレ", 0xFF5032}, {"[Lamp_G]", "sig_g", "G", 0x3CF08C},
    {"[Lamp_YG]", "sig_yg", "YG", 0xB4F03C},      {"[Lamp_Y]", "sig_y", "Y", 0xFFD232},
    {"[Lamp_YY]", "sig_yy", "YY", 0xFFAA28},      {"[Lamp_R]", "sig_r", "R", 0xFF3228},
    {"[Lamp_Fwd]", "fwd", "前", 0xF0F0F0},        {"[Lamp_Back]", "back", "後", 0xF0F0F0},
};

constexpr int kLampLeft = 20;
constexpr int kLampPitch = 28;
constexpr int kLampTop = 244;

Dial MakeDial(const char* title, const char* unit, int cx, int cy, int radius, double maximum,
              double faceUnit, double minor, double major, double label, double divisor = 1) {
    Dial d;
    d.title = title;
    d.unit = unit;
    d.cx = cx;
    d.cy = cy;
    d.radius = radius;
    d.maximum = maximum;
    d.faceUnit = faceUnit;
    // The face spans 270 degrees; the needle's scale is per unit of the reading.
    d.scale = 270.0 / (maximum / faceUnit);
    d.minorStep = minor;
    d.majorStep = major;
    d.labelStep = label;
    d.labelDivisor = divisor;
    return d;
}

NeedlePlace Needle(const char* section, const char* heading, const char* file, const Dial& d) {
    NeedlePlace n;
    n.section = section;
    n.heading = heading;
    n.file = file;
    n.size = 2 * d.radius;
    n.left = d.cx - d.radius;
    n.top = d.cy - d.radius;
    n.zeroAngle = d.zeroAngle;
    n.scale = std::round(d.scale * 1e6) / 1e6;
    return n;
}

CabDesign Common(TrainKind kind, const char* folder) {
    CabDesign c;
    c.kind = kind;
    c.panel = std::string(folder) + "panel.bmp";
    c.panel2 = std::string(folder) + "panel_lit.bmp";
    int i = 0;
    for (const LampKind& lamp : kLamps) {
        c.lamps.push_back({lamp.section, std::string("cab\\lamp_") + lamp.name + ".bmp", lamp.label,
                           lamp.colour, kLampLeft + kLampPitch * i, kLampTop});
        ++i;
    }
    c.clockX = 356;
    c.clockY = 386;
    c.clockR = 20;
    c.notchP.left = 408;
    c.notchP.top = 272;
    c.notchP.width = 64;
    c.notchP.height = 24;
    c.notchB = c.notchP;
    c.notchB.top = 300;
    c.others = {{kReadoutPlate, 480, 308}, {std::string(folder) + "badge.bmp", 408, 400}};
    return c;
}

void NameIndicatorFiles(IndicatorPlace& place, const std::string& stem) {
    place.files.clear();
    for (size_t i = 0; i < place.labels.size(); ++i) {
        place.files.push_back(stem + std::to_string(i) + ".bmp");
    }
}

// Both cabs share the pressure gauges; each has its own speed, voltage and
// current faces. The needles follow the train file's needle sections.
void FitGauges(CabDesign& c, const Dial& speed, const Dial& volt, const Dial& amp) {
    const Dial mrbc = MakeDial("MR BC", "100kPa", 196, 306, 32, 1000, 1, 50, 100, 500, 100);
    const Dial bper = MakeDial("BP ER", "100kPa", 276, 306, 32, 1000, 1, 50, 100, 500, 100);
    const Dial sap = MakeDial("SAP", "100kPa", 356, 306, 32, 600, 1, 50, 100, 300, 100);
    c.dials = {speed, mrbc, bper, sap, volt, amp};
    const std::array<std::pair<const char*, const Dial*>, kNeedleCount> faces{{
        {kNeedleLong, &speed},
        {kNeedleRed, &mrbc},
        {kNeedleBlack, &sap},
        {kNeedleRed, &bper},
        {kNeedleBlack, &bper},
        {kNeedleBlack, &mrbc},
        {kNeedleBlack, &volt},
        {kNeedleBlack, &amp},
    }};
    c.needles.clear();
    for (size_t i = 0; i < faces.size(); ++i) {
        c.needles.push_back(Needle(kNeedleInfo[i].section, kNeedleInfo[i].errorLabel,
                                   faces[i].first, *faces[i].second));
    }
}

}  // namespace

CabDesign ElectricCab() {
    CabDesign c = Common(TrainKind::Electric, "cab\\1000\\");
    c.badge = "1000系";
    const Dial speed = MakeDial("速度", "km/h", 80, 336, 60, 160, 1, 5, 10, 20);
    // The line voltage reads 100 at full: 1 500 V on this face.
    const Dial volt = MakeDial("kV", "V", 196, 386, 32, 2000, 15, 100, 500, 1000, 1000);
    const Dial amp = MakeDial("100A", "A", 276, 386, 32, 1000, 1, 50, 250, 500, 100);
    FitGauges(c, speed, volt, amp);
    c.notchP.labels = {"切", "P1", "P2", "P3", "P4"};
    c.notchB.labels = {"緩め", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "非常"};
    NameIndicatorFiles(c.notchP, "cab\\1000\\notch_p");
    NameIndicatorFiles(c.notchB, "cab\\1000\\notch_b");
    return c;
}

CabDesign DieselCab() {
    CabDesign c = Common(TrainKind::Diesel, "cab\\2000\\");
    c.badge = "キハ2000";
    const Dial speed = MakeDial("速度", "km/h", 80, 336, 60, 160, 1, 5, 10, 20);
    // Control circuits of 100 V: the face reads the voltage as it is.
    const Dial volt = MakeDial("V", "V", 196, 386, 32, 150, 1, 10, 50, 50);
    const Dial amp = MakeDial("負荷", "%", 276, 386, 32, 1000, 1, 50, 250, 500, 100);
    FitGauges(c, speed, volt, amp);
    c.notchP.labels = {"切", "1", "2", "3", "4", "5"};
    c.notchB.labels = {"運転", "保ち", "重なり", "常用", "非常"};
    c.gear = c.notchP;
    c.gear.top = 328;
    c.gear.height = 20;
    c.gear.labels = {"－", "変速", "直結1", "直結2"};
    NameIndicatorFiles(c.notchP, "cab\\2000\\notch_p");
    NameIndicatorFiles(c.notchB, "cab\\2000\\notch_b");
    NameIndicatorFiles(c.gear, "cab\\2000\\gear");
    return c;
}

}  // namespace kelvaron::demo
