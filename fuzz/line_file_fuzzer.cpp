// The line definition file and the track position table start-up derives from it.
#include <string>

#include "data/cab_image_lists.h"
#include "data/data_pictures.h"
#include "data/line_definition.h"
#include "data/line_file_reader.h"
#include "data/track_position_table.h"
#include "fuzz_support.h"
#include "platform/qt/qt_picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    fuzz::WriteInput("fuzz_line.dat", data, size);
    QtPictureLoader loader;
    PictureBudget pictures(loader);
    CabImageLists images;
    LineDefinition line;
    std::string error;
    if (LoadLineFile(fuzz::DataFolder(), "fuzz_line.dat", pictures, images, line, error)) {
        BuildTrackPositionTable(line, error);
    }
    return 0;
}
