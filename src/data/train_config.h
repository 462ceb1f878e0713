#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/fixed4.h"
#include "data/panel_names.h"

namespace kelvaron {

// One tractive-effort curve of an electric power notch.
struct NotchCurve {
    double A0 = 0;   // km/h/s at standstill
    double A1 = 0;   // km/h/s at V1
    int32_t V1 = 0;  // km/h, end of the constant-force region
    int32_t V2 = 0;  // km/h, end of the constant-power region
    double X = 0;    // decay base per km/h above V2
};

// One gear of a diesel train.
struct GearCurve {
    int32_t S0 = 0, S1 = 0, S2 = 0;  // km/h
    double C0 = 0, C1 = 0, C2 = 0;   // km/h/s at S0, S1, S2
};

struct MotorSoundData {
    std::string FileName;
    int32_t Mode = 0;  // 0 while powering, 1 while braking, 2 always
    long double LowSpeed = 0, HighSpeed = 0;
    long double LowPitch = 0, HighPitch = 0;
    long double LowVolume = 0, HighVolume = 0;
};

// A panel picture with its place.
struct Lamp {
    std::string FileName;  // empty: no picture
    int32_t Left = 0;
    int32_t Top = 0;
};

// A needle: picture, place, size, angle at reading 0 and degrees per unit.
struct Meter {
    std::string FileName;  // empty: no needle
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    int32_t ZeroAngle = 0;
    long double Scale = 0;
};

struct ClockFace {
    int32_t X = 0, Y = 0, R = 0;
};

// Place of an image-list indicator; its pictures go to the run's image lists.
struct ImageListPlace {
    int32_t Left = 0, Top = 0;
};

// The 16 lamps of the panel, in the order of the train file and of building.
enum LampIndex : int {
    kLampDoor,
    kLampPower,
    kLampEB,
    kLampGen,
    kLampAir,
    kLampEle,
    kLampAts,
    kLampAtsp1,
    kLampAtsp2,
    kLampG,
    kLampYG,
    kLampY,
    kLampYY,
    kLampR,
    kLampFwd,
    kLampBck,
    kLampCount
};

// The eight needles, in the order their sections are read.
enum NeedleIndex : int {
    kNeedleSpeed,
    kNeedleBC,
    kNeedleSAP,
    kNeedleER,
    kNeedleBP,
    kNeedleMR,
    kNeedleV,
    kNeedleI,
    kNeedleCount
};

constexpr int kMaxNotchCurves = 11;
constexpr int kMaxGearCurves = 11;
constexpr int kMaxMotorSounds = 100;
constexpr int kMaxDriveSounds = 100;
constexpr int kMaxOtherLamps = 11;

// Everything the train definition file says, named by its section headers.
// Each run reads into a fresh TrainConfig: an absent section reads as 0 or empty.
struct TrainConfig {
    // Driving sections.
    int32_t Handle = 0;
    int32_t BrakeType = 0;
    int32_t Brake = 0;
    int32_t Power = 0;
    int32_t Hold = 0;
    Fixed4 BrakeRate = 0;
    int32_t PowerDelay = 0;
    int32_t BrakeDelay = 0;
    int32_t SAPDelay = 0;
    int32_t BrakeUp = 0;
    int32_t BrakeDown = 0;
    int32_t EBPress = 0;
    int32_t SAPPress = 0;
    int32_t HighAirPress = 0;
    int32_t LowAirPress = 0;
    int32_t Curr1 = 0;
    int32_t Curr2 = 0;
    int32_t Engine_Type = 0;  // 0 diesel, 1 electric
    int32_t DoorType = 0;
    Fixed4 Mt = 0;
    Fixed4 Tt = 0;
    int32_t Cars = 0;
    std::string StopLine;
    Fixed4 Tons = 0;
    int32_t EB = 0;
    int32_t MaxSpeed = 0;
    int32_t Lose_elec = 0;
    int32_t Mc = 0;
    int32_t ATS_Type = 0;
    int32_t ATS_Alert = 0;
    int32_t ATS_Time = 0;
    int32_t ATS_Cnt = 0;
    int32_t Sound_br1 = 0, Sound_br2 = 0, Sound_EB = 0, Sound_Ats1 = 0, Sound_Ats2 = 0,
            Sound_Atc = 0, Sound_Horn = 0, Sound_Horn2 = 0, Sound_Horn3 = 0, Sound_DoorOpen = 0,
            Sound_DoorClose = 0, Sound_EBring = 0, Sound_squeak = 0;
    int32_t CP_Start = 0, CP_Cnt = 0, CP_End = 0;
    int32_t Stop = 0;
    std::array<int32_t, 2> Buzzer{};
    int32_t DepSign = 0;
    std::array<int32_t, 3> EngineSound{};
    std::string Gear_Type = "AT";  // "AT" automatic, "MT" manual

    bool ManualGears() const { return Gear_Type == "MT"; }

    // List sections.
    std::vector<NotchCurve> Notch;  // notch 1 first
    std::vector<GearCurve> Engine;  // gear 0 (converter stage) first
    std::vector<MotorSoundData> MotorSound;
    std::vector<std::string> DriveSound;

    // Panel sections.
    ClockFace Clock;
    Lamp Panel;
    Lamp Panel2;
    std::array<Lamp, kLampCount> Lamps;
    std::array<Meter, kNeedleCount> Needles;
    ImageListPlace NotchImageP;
    ImageListPlace NotchImageB;
    ImageListPlace GearImageList;
    std::vector<Lamp> Others;  // at most 11

    // The train file this configuration came from (the event hook reports it).
    std::string FileName;
};

// Section header, component name and file-order position of each lamp.
struct LampInfo {
    const char* section;
    PanelName component;
};
inline constexpr std::array<LampInfo, kLampCount> kLampInfo{{
    {"[Lamp_Door]", "Lamp_Door"},
    {"[Lamp_Power]", "Lamp_Power"},
    {"[Lamp_EB]", "Lamp_EB"},
    {"[Lamp_Gen]", "Lamp_Gen"},
    {"[Lamp_Air]", "Lamp_Air"},
    {"[Lamp_Ele]", "Lamp_Ele"},
    {"[Lamp_Ats]", "Lamp_Ats"},
    {"[Lamp_ATSP1]", "Lamp_Atsp1"},
    {"[Lamp_ATSP2]", "Lamp_Atsp2"},
    {"[Lamp_G]", "Lamp_G"},
    {"[Lamp_YG]", "Lamp_YG"},
    {"[Lamp_Y]", "Lamp_Y"},
    {"[Lamp_YY]", "Lamp_YY"},
    {"[Lamp_R]", "Lamp_R"},
    {"[Lamp_Fwd]", "Lamp_Fwd"},
    {"[Lamp_Back]", "Lamp_Bck"},
}};

struct NeedleInfo {
    const char* section;
    PanelName component;
    const char* errorLabel;
};
inline constexpr std::array<NeedleInfo, kNeedleCount> kNeedleInfo{{
    {"[Needle_Speed]", "Needle_Speed", "- 速度計"},
    {"[Needle_BC]", "Needle_BC", "- BC圧力計"},
    {"[Needle_SAP]", "Needle_SAP", "- SAP圧力計"},
    {"[Needle_ER]", "Needle_ER", "- ER圧力計"},
    {"[Needle_BP]", "Needle_BP", "- BP圧力計"},
    {"[Needle_MR]", "Needle_MR", "- MR圧力計"},
    {"[Needle_V]", "Needle_V", "- 電圧計"},
    {"[Needle_I]", "Needle_I", "- 電流計"},
}};

}  // namespace kelvaron
