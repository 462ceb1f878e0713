#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/wave_file.h"

namespace kelvaron {

class VirtualMixer;

// Handle of a loaded sound. A sound that could not be loaded still has a
// handle: it plays silence and is never "playing".
using SoundId = int32_t;
constexpr SoundId kNoSound = -1;

// The 256-channel mixer. Channels are numbered 0-255; an operation on a
// channel number outside that range does nothing (data files can name any
// number). Volumes are in 1/100 dB: 0 is full level, -10000 silent; a volume
// above 0 is refused and leaves the volume as it was.
class SoundMixer {
  public:
    static constexpr int kChannelCount = 256;

    virtual ~SoundMixer() = default;

    // Loads a WAVE file. A missing or broken file gives a silent sound, no error.
    virtual SoundId CreateSound(const std::filesystem::path& file) = 0;
    // A sound already decoded (a movie's sound track); no samples give a silent sound.
    virtual SoundId CreateSoundFromSamples(const WaveSound& sound) = 0;
    virtual void FreeSound(SoundId sound) = 0;

    // Binds a loaded sound to a channel; false when the channel does not exist.
    virtual bool Bind(int channel, SoundId sound) = 0;

    virtual void Stop(int channel) = 0;
    virtual void Play(int channel) = 0;        // once, from the start
    virtual void PlayLooped(int channel) = 0;  // looped, from the start
    virtual bool IsPlaying(int channel) const = 0;

    // False when refused (above 0 dB, channel missing).
    virtual bool SetVolume(int channel, int32_t hundredthsDb) = 0;
    virtual int32_t Volume(int channel) const = 0;
    // Frequency as a ratio of the sound's own rate; a ratio that is not a
    // positive finite number is refused.
    virtual bool SetFrequencyRatio(int channel, long double ratio) = 0;

    virtual void SetPrimaryFormat(int samplesPerSecond, int bitsPerSample, int channels) = 0;

    // Re-creates the device and its channels (after a run closes); false on failure.
    virtual bool Reinitialise() = 0;

    // The run's virtual time in milliseconds. A mixer that answers IsPlaying
    // from virtual time follows it, so that a run gives the same answers on
    // every front end; a device mixer has no use for it.
    virtual void SetTime(int64_t /*ms*/) {}

    // The virtual-time model of playback behind this mixer, when it keeps one:
    // what a silent copy of the run must copy to hear what the run hears.
    virtual const VirtualMixer* Timing() const { return nullptr; }
};

// Stop, then play from the start.
inline void Restart(SoundMixer& mixer, int channel) {
    mixer.Stop(channel);
    mixer.Play(channel);
}

}  // namespace kelvaron
