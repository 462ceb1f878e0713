#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaron::demo {

// Everything the two line files name besides the route itself: the line's
// sound list, the call-out voices, the announcements and the image lists.
// Both lines list the same sounds in the same order, so each train file's
// channel numbers (its drive-sound count plus a sound's index) fit the line
// it runs on.

enum LineSound : int32_t {
    kBrakeRelease,
    kReleaseAll,
    kEmergencyAir,
    kAtsBell,
    kAtsChime,
    kAtcChime,
    kHorn,
    kWhistle,
    kHornLong,
    kDoorOpen,
    kDoorClose,
    kVigilanceRing,
    kSqueal,
    kCompressorStart,
    kCompressorRun,
    kCompressorStop,
    kStopAlert,
    kBuzzer1,
    kBuzzer2,
    kDepartureSignal,
    kMelodyA,
    kMelodyB,
    kCrossingBell,
    kBridgeRumble,
    kTunnelRoar,
    kPassingTrain,
    kFirstAnnouncement,  // the announcements follow, in Announcements() order
};

// A spoken file: its name in the data files, what is said (in kana, which the
// speech synthesiser reads), and the written text for comments.
struct Voice {
    std::string file;
    std::string speech;
    std::string caption;
};

// The [SoundData] list (synthesised sounds, then the announcements).
std::vector<std::string> LineSoundFiles();
// Synthesised sounds only: index i is LineSound i.
std::vector<std::string> SynthesisedLineSounds();

std::vector<Voice> FixedCallouts();     // the 18 [KankoSound1] voices
std::vector<Voice> NumberedCallouts();  // the [KankoSound2] voices
std::vector<Voice> Announcements();     // local then express announcements
constexpr int32_t kLocalAnnouncements = 5;
// Slot of a [KankoSound2] voice in the call-out voice table.
constexpr int32_t kNumberedSlotBase = 18;
constexpr int32_t kCallYoshi = 7;  // "よし", said after an aspect

// [OtherImageList]: picture and voice of each sign, the time-check prompt first.
struct SignPicture {
    std::string image;
    Voice voice;
};
std::vector<SignPicture> SignPictures();
enum SignImage : int32_t { kSignTime, kSignLimit45, kSignLimit35, kSignWhistle, kSignCrossing };

std::vector<std::string> SignalPictureFiles();  // 22, by signal image index
std::vector<std::string> SlopePictureFiles();   // uphill, downhill

inline const char* kDataName = "wangan";
inline const char* kStillPicture = "image\\still.jpg";
inline const char* kStaffLocal = "image\\staff_local.bmp";
inline const char* kStaffExpress = "image\\staff_express.bmp";

}  // namespace kelvaron::demo
