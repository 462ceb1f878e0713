#include "data/controller_file_reader.h"

#include "common/text_file.h"

namespace kelvaron {

bool ReadMasconFile(const std::filesystem::path& dataDir, MasconCodes& codes, std::string* error) {
    TextFile text;
    std::string reason;
    if (!text.OpenData(dataDir, kMasconFile, &reason)) {
        if (error) *error = std::string(kMasconFile) + ": " + reason;
        return false;
    }
    // A longer list than the table holds is cut at its capacity rather than
    // written past it.
    for (int n = 0; n < kMasconCodeCount && !text.Eof(); ++n) {
        std::string line = text.ReadLine();
        if (!line.empty() && line.front() == '#') break;
        codes[static_cast<size_t>(n)] = std::move(line);
    }
    return true;
}

void ReadPsCodes(SettingsStore& store, PsCodes& codes) {
    if (!store.OpenKey()) return;
    for (size_t i = 0; i < codes.size(); ++i) {
        auto value = store.ReadInt(kPsCodeNames[i]);
        if (!value) return;
        codes[i] = *value;
    }
}

}  // namespace kelvaron
