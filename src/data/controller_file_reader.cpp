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
    size_t i = 0;
    for (; i < codes.size(); ++i) {
        auto value = store.ReadInt(kPsCodeNames[i]);
        if (!value) break;
        codes[i] = *value;
    }
    // A player calibrating the controller edits the values in the store, so
    // every one of them must be there; a value that is present but not a
    // number is the player's and is left alone.
    for (; i < codes.size(); ++i) {
        if (!store.Contains(kPsCodeNames[i])) store.WriteInt(kPsCodeNames[i], codes[i]);
    }
}

}  // namespace kelvaron
