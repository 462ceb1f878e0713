// The labels and paths file, and the video name its folder leads to.
#include <string>

#include "data/labels_file_reader.h"
#include "data/sound_setup.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    // Each process has its own folder: the fixture's file may be replaced.
    fuzz::WriteInput(kLabelsFile, data, size);
    Labels labels;
    MenuCaptions captions;
    std::string error;
    if (ReadLabelsFile(fuzz::DataFolder(), labels, captions, &error)) {
        ResolveVideoFile(fuzz::DataFolder(), labels.Path, "line_basic");
    }
    return 0;
}
