#include "platform/timed_mixer.h"

namespace kelvaron {

SoundId TimedMixer::DeviceSound(SoundId sound) const {
    if (sound < 0 || static_cast<size_t>(sound) >= deviceSounds_.size()) return kNoSound;
    return deviceSounds_[static_cast<size_t>(sound)];
}

SoundId TimedMixer::Pair(SoundId sound, SoundId deviceSound) {
    if (sound < 0) {
        device_.FreeSound(deviceSound);
        return sound;
    }
    if (static_cast<size_t>(sound) >= deviceSounds_.size()) {
        deviceSounds_.resize(static_cast<size_t>(sound) + 1, kNoSound);
    }
    deviceSounds_[static_cast<size_t>(sound)] = deviceSound;
    return sound;
}

SoundId TimedMixer::CreateSound(const std::filesystem::path& file) {
    return Pair(virtual_.CreateSound(file), device_.CreateSound(file));
}

SoundId TimedMixer::CreateSoundFromSamples(const WaveSound& sound) {
    return Pair(virtual_.CreateSoundFromSamples(sound), device_.CreateSoundFromSamples(sound));
}

void TimedMixer::FreeSound(SoundId sound) {
    virtual_.FreeSound(sound);
    device_.FreeSound(DeviceSound(sound));
}

bool TimedMixer::Bind(int channel, SoundId sound) {
    device_.Bind(channel, DeviceSound(sound));
    return virtual_.Bind(channel, sound);
}

void TimedMixer::Stop(int channel) {
    virtual_.Stop(channel);
    device_.Stop(channel);
}

void TimedMixer::Play(int channel) {
    virtual_.Play(channel);
    device_.Play(channel);
}

void TimedMixer::PlayLooped(int channel) {
    virtual_.PlayLooped(channel);
    device_.PlayLooped(channel);
}

bool TimedMixer::IsPlaying(int channel) const {
    return virtual_.IsPlaying(channel);
}

bool TimedMixer::SetVolume(int channel, int32_t hundredthsDb) {
    device_.SetVolume(channel, hundredthsDb);
    return virtual_.SetVolume(channel, hundredthsDb);
}

int32_t TimedMixer::Volume(int channel) const {
    return virtual_.Volume(channel);
}

bool TimedMixer::SetFrequencyRatio(int channel, long double ratio) {
    device_.SetFrequencyRatio(channel, ratio);
    return virtual_.SetFrequencyRatio(channel, ratio);
}

void TimedMixer::SetPrimaryFormat(int samplesPerSecond, int bitsPerSample, int channels) {
    virtual_.SetPrimaryFormat(samplesPerSecond, bitsPerSample, channels);
    device_.SetPrimaryFormat(samplesPerSecond, bitsPerSample, channels);
}

bool TimedMixer::Reinitialise() {
    virtual_.Reinitialise();
    // Whether the program can go on is the device's to say.
    return device_.Reinitialise();
}

}  // namespace kelvaron
