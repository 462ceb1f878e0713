// BMP and JPEG through the picture loader, as the panel and the image lists load them.
#include "fuzz_support.h"
#include "platform/qt/qt_picture_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    const auto file = fuzz::WriteInput("fuzz.bmp", data, size);
    QtPictureLoader loader;
    for (auto formats : {PictureFormats::BitmapOnly, PictureFormats::BitmapOrJpeg}) {
        if (auto picture = loader.Load(file, formats)) {
            // The transparent colour is read from the decoded pixels.
            picture->TransparentColour();
        }
    }
    return 0;
}
