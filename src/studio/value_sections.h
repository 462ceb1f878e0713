#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "studio/record_kinds.h"

namespace kelvaron {

// A section of the line file that holds values rather than a list: its value
// lines, each with its meaning and unit, as the studio's form shows them.
struct ValueSectionLayout {
    std::string_view header;  // "[LineName]"
    std::vector<FieldLayout> lines;
};

std::span<const ValueSectionLayout> ValueSections();
const ValueSectionLayout* FindValueSection(std::string_view header);

}  // namespace kelvaron
