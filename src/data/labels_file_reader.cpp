#include "data/labels_file_reader.h"

#include <array>
#include <string_view>

#include "common/common_util.h"
#include "common/text_file.h"

namespace kelvaron {

namespace {

using Caption = std::optional<std::string> MenuCaptions::*;

// A key and where its value lines go: one label text, or one to three menu captions.
struct Key {
    std::string_view header;
    std::string Labels::*label = nullptr;
    std::array<Caption, 3> captions{};
};

// In the order every line is tested against them.
const std::array<Key, 18> kKeys{{
    {"[Path]", &Labels::Path},
    {"[Forward]", &Labels::Forward},
    {"[Neutral]", &Labels::Neutral},
    {"[Reverse]", &Labels::Reverse},
    {"[Stop]", &Labels::Stop},
    {"[Pass]", &Labels::Pass},
    {"[Stop2]", &Labels::Stop2},
    {"[Neut]", &Labels::Neut},
    {"[Neut2]", &Labels::Neut2},
    {"[Apply]", &Labels::Apply},
    {"[Maintain]", &Labels::Maintain},
    {"[Hold]", &Labels::Hold},
    {"[Hold2]", &Labels::Hold2},
    {"[EB]", &Labels::EB},
    {"[Start]", nullptr, {&MenuCaptions::start1}},
    {"[Move]", nullptr, {&MenuCaptions::GoTo1}},
    {"[Display]", nullptr, {&MenuCaptions::Show1, &MenuCaptions::menu_d1, &MenuCaptions::menu_d2}},
    {"[Control]", nullptr, {&MenuCaptions::Controller1}},
}};

}  // namespace

bool ReadLabelsFile(const std::filesystem::path& dataDir, Labels& labels, MenuCaptions& captions,
                    std::string* error) {
    TextFile file;
    std::string reason;
    if (!file.OpenData(dataDir, kLabelsFile, &reason)) {
        // The message has no section; the file's name and the reason follow it directly.
        if (error) *error = std::string(kLabelsFileError) + kLabelsFile + ": " + reason;
        return false;
    }
    while (!file.Eof()) {
        std::string line = file.ReadLine();
        for (const Key& key : kKeys) {
            if (!StartsWith(line, key.header)) continue;
            // The keys after this one are tested against its last value line.
            if (key.label) {
                line = file.ReadLine();
                labels.*key.label = line;
            }
            for (Caption caption : key.captions) {
                if (!caption) continue;
                line = file.ReadLine();
                captions.*caption = line;
            }
        }
    }
    return true;
}

}  // namespace kelvaron
