#pragma once

#include <filesystem>
#include <string>

#include "route.h"
#include "timetable.h"

namespace kelvaron::demo {

// The pictures the line files and the train files' stop marker name: the 22
// signal pictures, the sign pictures, the gradient signs, the stop-position
// marker and the two timetable cards. False with the file in `error` when one
// cannot be saved.
bool DrawLinePictures(const std::filesystem::path& outDir, const Route& route,
                      const Timetable& local, const Timetable& express, std::string& error);

// The two timetable cards alone, drawn again once the drive has set the times.
bool DrawTimetableCards(const std::filesystem::path& outDir, const Route& route,
                        const Timetable& local, const Timetable& express, std::string& error);

}  // namespace kelvaron::demo
