#pragma once

#include <filesystem>
#include <string>

#include "cab_design.h"
#include "route.h"
#include "timetable.h"

namespace kelvaron::demo {

// Drive-sound counts: each train's single sound channels are its count plus
// the index of the sound in the lines' [SoundData] list.
int DriveSoundCount(TrainKind kind);

// The text data files, in Shift-JIS with CR LF line ends. Each returns false
// with the file name in `error` when the file cannot be written.
bool WriteTrainFile(const std::filesystem::path& outDir, const std::string& fileName,
                    const CabDesign& cab, std::string& error);
bool WriteLineFile(const std::filesystem::path& outDir, const std::string& fileName,
                   const Route& route, const Timetable& timetable, std::string& error);
// mascon.dat, kelvaron.dat, operation.dat and readme.html.
bool WriteSupportFiles(const std::filesystem::path& outDir, std::string& error);

// Writes UTF-8 text as Shift-JIS, creating the folders.
bool WriteShiftJis(const std::filesystem::path& file, const std::string& utf8);

}  // namespace kelvaron::demo
