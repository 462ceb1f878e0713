#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "line_content.h"

namespace kelvaron::demo {

// Speaks each voice into its WAVE file with espeak-ng (Japanese) when the
// program is installed, a few synthesiser processes at a time; a voice that
// cannot be spoken becomes a short pattern of tones instead, so the data set
// is complete either way. `spoken` counts the voices espeak-ng made.
bool WriteVoices(const std::filesystem::path& outDir, const std::vector<Voice>& voices, int& spoken,
                 std::string& error);

// True when espeak-ng is found on the PATH.
bool SpeechAvailable();

}  // namespace kelvaron::demo
