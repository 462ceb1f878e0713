#pragma once

#include <vector>

#include "platform/headless/virtual_mixer.h"
#include "platform/sound_mixer.h"

namespace kelvaron {

// The desktop's mixer: every command goes to the sound device and to a
// virtual mixer, and the run's questions (is a channel playing, its volume)
// are answered by the virtual one in the run's virtual time. A run then goes
// exactly as it would headless, whatever the device or the machine's load,
// which is what makes a recorded run replay bit for bit.
class TimedMixer : public SoundMixer {
  public:
    explicit TimedMixer(SoundMixer& device) : device_(device) {}

    void SetTime(int64_t ms) override { virtual_.SetTime(ms); }
    const VirtualMixer* Timing() const override { return &virtual_; }

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
    SoundId DeviceSound(SoundId sound) const;
    SoundId Pair(SoundId sound, SoundId deviceSound);

    SoundMixer& device_;
    VirtualMixer virtual_{nullptr, false};
    std::vector<SoundId> deviceSounds_;  // by the virtual mixer's handle
};

}  // namespace kelvaron
