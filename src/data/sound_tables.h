#pragma once

#include <vector>

#include "platform/sound_mixer.h"

namespace kelvaron {

// The loaded sounds of a run, by table and slot (kNoSound where a slot is empty).
struct SoundTables {
    std::vector<SoundId> DriveWaves;       // [DriveSound] i, bound to channel i
    std::vector<SoundId> LineWaves;        // [SoundData] j, bound to channel D + j
    std::vector<SoundId> CommentaryWaves;  // call-out voices, slots 0..199
    std::vector<SoundId> OtherWaves;       // sign voices, by [OtherImageList] entry
    std::vector<SoundId> MotorWaves;       // [MotorSound] k, bound to channel 240 + k
};

constexpr int kMotorSoundFirstChannel = 240;
constexpr int kCalloutChannel = 254;
constexpr int kRuntimeSoundChannel = 255;

}  // namespace kelvaron
