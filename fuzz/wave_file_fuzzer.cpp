// WAVE files as both mixers load them.
#include "fuzz_support.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaron;
    const auto file = fuzz::WriteInput("fuzz.wav", data, size);
    ReadWaveMono(file);
    VirtualMixer mixer(nullptr, false);
    const SoundId sound = mixer.CreateSound(file);
    mixer.Bind(0, sound);
    mixer.SetFrequencyRatio(0, 2.5L);
    mixer.Play(0);
    mixer.SetTime(60000);
    mixer.IsPlaying(0);
    return 0;
}
