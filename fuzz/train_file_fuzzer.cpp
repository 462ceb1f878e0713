// The train definition file with its panel sections, the pictures it names
// loaded from the fuzzing data folder.
#include <string>

#include "data/cab_image_lists.h"
#include "data/data_pictures.h"
#include "data/train_config.h"
#include "data/train_file_reader.h"
#include "fuzz_support.h"
#include "platform/qt/qt_picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    fuzz::WriteInput("fuzz_train.dat", data, size);
    QtPictureLoader loader;
    PictureBudget pictures(loader);
    CabImageLists images;
    TrainConfig train;
    std::string error;
    LoadTrainFile(fuzz::DataFolder(), "fuzz_train.dat", pictures, images, train, error);
    return 0;
}
