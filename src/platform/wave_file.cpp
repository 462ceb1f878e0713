#include "platform/wave_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace kelvaron {

WaveSound ReadWaveMono(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    if (sf == nullptr) return {};
    const int major = info.format & SF_FORMAT_TYPEMASK;
    constexpr int kBufferSamples = 4096;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || info.samplerate <= 0 ||
        info.channels <= 0 || info.channels > kBufferSamples) {
        sf_close(sf);
        return {};
    }
    WaveSound out;
    out.rate = info.samplerate;
    std::vector<float> buffer(kBufferSamples);
    const sf_count_t framesPerRead = kBufferSamples / info.channels;
    for (;;) {
        const sf_count_t got = sf_readf_float(sf, buffer.data(), framesPerRead);
        if (got <= 0) break;
        for (sf_count_t f = 0; f < got; ++f) {
            float sum = 0;
            for (int c = 0; c < info.channels; ++c) sum += buffer[f * info.channels + c];
            const float mono = std::clamp(sum / static_cast<float>(info.channels), -1.0f, 1.0f);
            out.samples.push_back(static_cast<int16_t>(std::lrint(mono * 32767.0f)));
        }
    }
    sf_close(sf);
    return out;
}

}  // namespace kelvaron
