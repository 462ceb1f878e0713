#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/sound_mixer.h"

namespace kelvaron {

// The sound mixer on OpenAL: one source per channel on one context. Sounds are
// decoded whole with libsndfile and kept as mono 16-bit buffers. When no output
// device can be opened the mixer stays silent: every command is accepted and
// remembered, nothing ever plays, and Reinitialise reports the failure.
class OpenAlMixer : public SoundMixer {
  public:
    // Opens the default output device.
    OpenAlMixer();
    ~OpenAlMixer() override;
    OpenAlMixer(const OpenAlMixer&) = delete;
    OpenAlMixer& operator=(const OpenAlMixer&) = delete;

    // True while an output device and its channels exist.
    bool HasDevice() const { return context_ != nullptr; }

    SoundId CreateSound(const std::filesystem::path& file) override;
    SoundId CreateSoundFromSamples(const WaveSound& sound) override;
    void FreeSound(SoundId sound) override;
    bool Bind(int channel, SoundId sound) override;
    void Stop(int channel) override;
    void Play(int channel) override;
    void PlayLooped(int channel) override;
    bool IsPlaying(int channel) const override;
    bool SetVolume(int channel, int32_t hundredthsDb) override;
    int32_t Volume(int channel) const override;
    bool SetFrequencyRatio(int channel, long double ratio) override;
    void SetPrimaryFormat(int samplesPerSecond, int bitsPerSample, int channels) override;
    bool Reinitialise() override;

  private:
    struct Sound {
        uint32_t buffer = 0;  // 0: silent (not loaded, or freed)
        int32_t rate = 0;
    };
    struct Channel {
        uint32_t source = 0;  // 0: no source (silent device)
        SoundId sound = kNoSound;
        int32_t volume = 0;
        // What the source was last given, from a new source's own 1 and 1:
        // the run sends most of them again ten times a second, and every
        // change sent makes the library work the source out afresh.
        float gain = 1.0f;
        float pitch = 1.0f;
    };

    static bool Exists(int channel) { return channel >= 0 && channel < kChannelCount; }
    bool OpenDevice();
    void CloseDevice();
    bool Audible(const Channel& ch) const;
    void Start(int channel, bool looped);

    void* device_ = nullptr;   // ALCdevice
    void* context_ = nullptr;  // ALCcontext
    std::vector<Sound> sounds_;
    std::array<Channel, kChannelCount> channels_{};
};

}  // namespace kelvaron
