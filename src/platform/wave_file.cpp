#include "platform/wave_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace kelvaron {

namespace {

constexpr int kBufferSamples = 4096;

// Opens a WAVE file for reading; null (and nothing left open) for anything else.
SNDFILE* OpenWave(const std::filesystem::path& file, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    if (sf == nullptr) return nullptr;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || info.samplerate <= 0 ||
        info.channels <= 0 || info.channels > kBufferSamples) {
        sf_close(sf);
        return nullptr;
    }
    return sf;
}

}  // namespace

WaveLength ReadWaveLength(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* sf = OpenWave(file, info);
    if (sf == nullptr) return {};
    // The library never reads beyond the header's count, so once its last
    // frame reads, decoding would give exactly that many frames. A header
    // that promises more than the file holds is measured the long way.
    std::vector<float> frame(static_cast<size_t>(info.channels));
    const bool lastFrameReads = info.frames > 0 && info.frames < SF_COUNT_MAX &&
                                sf_seek(sf, info.frames - 1, SEEK_SET) == info.frames - 1 &&
                                sf_readf_float(sf, frame.data(), 1) == 1;
    sf_close(sf);
    if (lastFrameReads) return {info.frames, info.samplerate};
    const WaveSound wave = ReadWaveMono(file);
    if (wave.samples.empty()) return {};
    return {static_cast<int64_t>(wave.samples.size()), wave.rate};
}

WaveSound ReadWaveMono(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* sf = OpenWave(file, info);
    if (sf == nullptr) return {};
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
