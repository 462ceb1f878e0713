#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cab_design.h"

namespace kelvaron::demo {

// One [MotorSound] record: the file, its mode (0 under power, 1 under brake,
// 2 always) and its speed curve of pitch and volume.
struct MotorSoundRecord {
    std::string file;
    int mode = 0;
    double lowSpeed = 0, highSpeed = 0;
    double lowPitch = 1, highPitch = 1;
    double lowVolume = 100, highVolume = 100;
};

// The [DriveSound] list: rolling noise of the 10 km/h bands 0 to 120, and for
// the diesel train its three engine sounds after them.
std::vector<std::string> DriveSoundFiles(TrainKind kind);
constexpr int kRollingBands = 13;
std::vector<MotorSoundRecord> MotorSounds(TrainKind kind);

// Synthesises the train's drive and motor sounds. False with the file in `error`.
bool WriteTrainSounds(const std::filesystem::path& outDir, TrainKind kind, std::string& error);
// Synthesises the line's sounds (everything of LineSound but the voices).
bool WriteLineSounds(const std::filesystem::path& outDir, std::string& error);

}  // namespace kelvaron::demo
