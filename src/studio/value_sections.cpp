#include "studio/value_sections.h"

#include <algorithm>

namespace kelvaron {

std::span<const ValueSectionLayout> ValueSections() {
    using T = FieldType;
    using R = FieldRole;
    static const std::vector<ValueSectionLayout> sections = {
        {"[LineName]", {{"LineName", "line name, shown as the run window's caption", T::Text}}},
        {"[DataName]",
         {{"DataName", "base name of the cab-view video (the file is this name + .avi)", T::Text}}},
        {"[StartPos]", {{"StartPos", "frame at which the run starts", T::Integer, R::Frame}}},
        {"[StartTime]",
         {{"StartTime", "clock at the start, 1/30 s since midnight", T::Integer, R::TimeOfDay}}},
        {"[FrameRate]",
         {{"FrameRate", "frames a second the preceding train runs through the video (1 to 30)"}}},
        {"[Pre_Time]", {{"Pre_Time", "head start of the preceding train, s"}}},
        {"[OneMan]", {{"OneMan", "0: a conductor works doors and announcements; 1: one-man"}}},
        {"[Staf]",
         {{"StaffImage", "picture of the timetable card", T::Text},
          {"StillPicture", "picture shown before the run starts", T::Text}}},
        {"[Speed_YY]",
         {{"Speed_YY", "speed allowed under double yellow, km/h", T::Integer, R::SpeedKmh}}},
        {"[Speed_Y]", {{"Speed_Y", "speed allowed under yellow, km/h", T::Integer, R::SpeedKmh}}},
        {"[Speed_YG]",
         {{"Speed_YG", "speed allowed under yellow-green, km/h", T::Integer, R::SpeedKmh}}},
        {"[Speed_G]",
         {{"Speed_G", "speed allowed under green (cab signalling), km/h", T::Integer,
           R::SpeedKmh}}},
    };
    return sections;
}

const ValueSectionLayout* FindValueSection(std::string_view header) {
    const auto sections = ValueSections();
    const auto it = std::find_if(sections.begin(), sections.end(),
                                 [&](const ValueSectionLayout& s) { return s.header == header; });
    return it == sections.end() ? nullptr : &*it;
}

}  // namespace kelvaron
