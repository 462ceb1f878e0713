#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron {

// Lines of a file, counted from 0.
struct LineSpan {
    size_t first = 0;
    size_t count = 0;
};

// One section as the line reader met it: its header line, the lines of each
// entry it stored, and the line that ended it.
struct LineSectionSource {
    std::string header;  // "[Station]"
    bool isList = false;
    size_t headerLine = 0;
    std::vector<LineSpan> entries;  // list sections only, in table order
    size_t endLine = 0;             // the "#" line of a list, the last value line otherwise
};

// Where each part of a line definition came from in its file, so that an
// editor can change one record by rewriting that record's lines and nothing
// else.
struct LineSourceMap {
    std::vector<LineSectionSource> sections;  // in file order
    std::optional<size_t> faultLine;          // the line being read when reading failed

    // The occurrence of a section that filled its table: a repeated list
    // replaces the earlier entries, so the last one counts.
    const LineSectionSource* Find(std::string_view header) const {
        for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
            if (it->header == header) return &*it;
        }
        return nullptr;
    }
};

}  // namespace kelvaron
