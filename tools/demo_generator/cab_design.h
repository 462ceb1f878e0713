#pragma once

#include <string>
#include <vector>

namespace kelvaron::demo {

// Where everything of a cab panel stands: the train files state these places
// and the panel drawings put their dials, frames and unlit lamps under them.
// Places are in window pixels; the panel picture starts at (0, 240).

enum class TrainKind { Electric, Diesel };

struct LampPlace {
    std::string section;  // [Lamp_Door] ...
    std::string file;
    std::string label;  // text on the lamp
    unsigned colour;    // 0xRRGGBB when lit
    int left = 0, top = 0;
};

// One round instrument on the desk with its needles.
struct Dial {
    std::string title;
    std::string unit;
    int cx = 0, cy = 0, radius = 0;
    int zeroAngle = -135;  // degrees from straight up, clockwise, at reading 0
    double scale = 1;      // degrees per unit of the reading
    double maximum = 0;    // readings drawn on the face (in face units)
    double faceUnit = 1;   // face value per unit of the reading (voltmeter: V per reading)
    double minorStep = 0, majorStep = 0, labelStep = 0;  // in face units
    double labelDivisor = 1;  // the numbers printed are face values divided by this
};

struct NeedlePlace {
    std::string section;  // [Needle_Speed] ...
    std::string heading;  // the line before it in the file ("- 速度計")
    std::string file;     // empty: no needle
    int left = 0, top = 0, size = 0;
    int zeroAngle = 0;
    double scale = 0;
};

struct IndicatorPlace {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::string> labels;  // one picture per entry
    std::vector<std::string> files;
};

struct OtherPlace {
    std::string file;
    int left = 0, top = 0;
};

struct CabDesign {
    TrainKind kind = TrainKind::Electric;
    std::string badge;  // type name on the desk plate
    std::string panel, panel2;
    int panelLeft = 0, panelTop = 240, panelWidth = 480, panelHeight = 210;
    std::vector<LampPlace> lamps;  // in the order of their sections
    std::vector<Dial> dials;
    std::vector<NeedlePlace> needles;  // in the order of their sections
    int clockX = 0, clockY = 0, clockR = 0;
    IndicatorPlace notchP, notchB, gear;  // gear: empty for the electric train
    std::vector<OtherPlace> others;       // [0] the read-out plate, [1] the desk badge
};

CabDesign ElectricCab();
CabDesign DieselCab();

// Shared pictures of both cabs.
inline const char* kNeedleLong = "cab\\needle_long.bmp";
inline const char* kNeedleBlack = "cab\\needle_black.bmp";
inline const char* kNeedleRed = "cab\\needle_red.bmp";
inline const char* kStopMarker = "cab\\stop_marker.bmp";
inline const char* kReadoutPlate = "cab\\readout_plate.bmp";

}  // namespace kelvaron::demo
