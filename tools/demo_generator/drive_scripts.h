#pragma once

#include <filesystem>
#include <string>

#include "route.h"
#include "timetable.h"

namespace kelvaron::demo {

// Drives both runs of the written data set with the simulator itself, in
// virtual time and in the headless runner's order of events, as a careful
// driver would: departs when the doors are shut, keeps the speed limits,
// brakes into each stop zone, works the doors of the one-man express,
// confirms ATS alarms, calls signals and prompts. What the driver did is
// written as the run scripts "drive_local.txt" and "drive_express.txt"; the
// headless runner replaying them repeats the same run exactly.
//
// The timetables are the times the driver keeps: each run is driven on its
// planned timetable, the driven arrivals, passing times and time checks are
// taken into it and the line file is written again, until no departure moves
// (a stop's departure only changes the drive after it).
//
// Needs every file of the data set but the video (whose length the route
// gives). False with the reason in `error`, also when a stop was missed.
bool WriteDriveScripts(const std::filesystem::path& outDir, const Route& route, Timetable& local,
                       Timetable& express, std::string& error);

}  // namespace kelvaron::demo
