// The serial controller's code file, and received chunks matched against it.
#include <string>

#include "data/controller_file_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    fuzz::WriteInput(kMasconFile, data, size);
    MasconCodes codes;
    std::string error;
    ReadMasconFile(fuzz::DataFolder(), codes, &error);
    return 0;
}
