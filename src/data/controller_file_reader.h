#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/settings_store.h"

namespace kelvaron {

// Codes of the serial master controller, one per line of "mascon.dat"; only
// entries 0-21 have a meaning. An empty entry never matches.
constexpr int kMasconCodeCount = 26;
using MasconCodes = std::array<std::string, kMasconCodeCount>;

// Readings of the PlayStation handle controller that identify each handle
// position, in the order they are read: P0-P5, B0-B8, EB.
constexpr int kPsCodeCount = 16;
using PsCodes = std::array<int32_t, kPsCodeCount>;
constexpr int kPsPower0 = 0;  // P0..P5 at 0..5
constexpr int kPsBrake0 = 6;  // B0..B8 at 6..14
constexpr int kPsEmergency = 15;
inline constexpr std::array<const char*, kPsCodeCount> kPsCodeNames{
    "P0", "P1", "P2", "P3", "P4", "P5", "B0", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "EB"};

// Both controllers' codes, as start-up reads them.
struct ControllerCodes {
    MasconCodes Mascon;
    PsCodes Ps{};
};

inline constexpr const char* kMasconFile = "mascon.dat";

// Reads the controller code file of the data folder into `codes`, stopping at
// the first line that begins with "#". Entries the file does not fill keep
// what they held; lines beyond the 26 entries are ignored. False when the file
// cannot be read, with the file name and the reason in `error` ("mascon.dat:
// No such file or directory").
bool ReadMasconFile(const std::filesystem::path& dataDir, MasconCodes& codes, std::string* error);

// Reads the PlayStation codes from the settings. The first missing value ends
// the reading silently; it and the later ones keep what they held. Values the
// store lacks are then written with the codes in use (0 on a program's first
// run), so that the player finds each of them to edit.
void ReadPsCodes(SettingsStore& store, PsCodes& codes);

}  // namespace kelvaron
