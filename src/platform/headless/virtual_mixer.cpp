#include "platform/headless/virtual_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/wave_file.h"

namespace kelvaron {

namespace {

std::string RatioText(long double ratio) {
    char text[48];
    std::snprintf(text, sizeof text, "%.6Lg", ratio);
    return text;
}

}  // namespace

std::string_view MixerOpName(MixerOp op) {
    switch (op) {
        case MixerOp::Bind:
            return "bind";
        case MixerOp::Stop:
            return "stop";
        case MixerOp::Play:
            return "play";
        case MixerOp::Loop:
            return "loop";
        case MixerOp::Volume:
            return "volume";
        case MixerOp::Frequency:
            return "frequency";
        case MixerOp::Format:
            return "format";
        case MixerOp::Free:
            return "free";
        case MixerOp::Reinit:
            return "reinit";
    }
    return "?";
}

VirtualMixer::VirtualMixer(std::ostream* sink, bool keepRecords)
    : sink_(sink), keepRecords_(keepRecords) {}

void VirtualMixer::SetTime(int64_t ms) {
    now_ = std::max(now_, ms);
}

void VirtualMixer::CopyPlaybackFrom(const VirtualMixer& other) {
    now_ = other.now_;
    format_ = other.format_;
    sounds_ = other.sounds_;
    channels_ = other.channels_;
}

const VirtualMixer::Sound* VirtualMixer::Find(SoundId sound) const {
    if (sound < 0 || static_cast<size_t>(sound) >= sounds_.size()) return nullptr;
    const Sound& found = sounds_[static_cast<size_t>(sound)];
    return found.freed ? nullptr : &found;
}

int64_t VirtualMixer::Frames(SoundId sound) const {
    const Sound* found = Find(sound);
    return found ? found->frames : 0;
}

int32_t VirtualMixer::SampleRate(SoundId sound) const {
    const Sound* found = Find(sound);
    return found ? found->rate : 0;
}

SoundId VirtualMixer::BoundSound(int channel) const {
    return Exists(channel) ? channels_[static_cast<size_t>(channel)].sound : kNoSound;
}

int32_t VirtualMixer::FrequencyOf(const Channel& channel) const {
    const Sound* sound = Find(channel.sound);
    if (sound == nullptr || sound->rate == 0) return 0;
    // At least 1 Hz, so that a sound once started always comes to its end.
    const long double hz = std::trunc(static_cast<long double>(sound->rate) * channel.ratio);
    constexpr long double kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(hz, 1.0L, kMax));
}

int32_t VirtualMixer::Frequency(int channel) const {
    return Exists(channel) ? FrequencyOf(channels_[static_cast<size_t>(channel)]) : 0;
}

bool VirtualMixer::IsLooping(int channel) const {
    return Exists(channel) && channels_[static_cast<size_t>(channel)].looped;
}

int64_t VirtualMixer::PositionMilliFrames(const Channel& channel) const {
    const int64_t end = Frames(channel.sound) * 1000;
    const __int128 moved = static_cast<__int128>(now_ - channel.anchorMs) * FrequencyOf(channel) +
                           channel.anchorMilliFrames;
    return static_cast<int64_t>(std::min<__int128>(moved, end));
}

bool VirtualMixer::IsPlaying(int channel) const {
    if (!Exists(channel)) return false;
    const Channel& ch = channels_[static_cast<size_t>(channel)];
    if (!ch.started) return false;
    return ch.looped || PositionMilliFrames(ch) < Frames(ch.sound) * 1000;
}

SoundId VirtualMixer::CreateSound(const std::filesystem::path& file) {
    const WaveLength length = ReadWaveLength(file);
    sounds_.push_back(Sound{length.frames, length.rate, false, file.filename().string()});
    return static_cast<SoundId>(sounds_.size() - 1);
}

SoundId VirtualMixer::CreateSoundFromSamples(const WaveSound& sound) {
    const bool audible = sound.rate > 0 && !sound.samples.empty();
    sounds_.push_back(Sound{audible ? static_cast<int64_t>(sound.samples.size()) : 0,
                            audible ? sound.rate : 0, false, "(samples)"});
    return static_cast<SoundId>(sounds_.size() - 1);
}

void VirtualMixer::FreeSound(SoundId sound) {
    if (Find(sound) == nullptr) {
        Log(-1, MixerOp::Free, [&] { return std::to_string(sound) + " refused"; });
        return;
    }
    sounds_[static_cast<size_t>(sound)].freed = true;
    for (Channel& ch : channels_) {
        if (ch.sound == sound) {
            ch.sound = kNoSound;
            ch.started = false;
        }
    }
    Log(-1, MixerOp::Free, [&] { return std::to_string(sound); });
}

bool VirtualMixer::Bind(int channel, SoundId sound) {
    const Sound* found = Find(sound);
    auto value = [&] {
        std::string text = std::to_string(sound);
        if (found != nullptr) text += " " + found->name;
        return text;
    };
    if (!Exists(channel)) {
        Log(channel, MixerOp::Bind, [&] { return value() + " refused"; });
        return false;
    }
    Channel& ch = channels_[static_cast<size_t>(channel)];
    ch.sound = found != nullptr ? sound : kNoSound;
    ch.started = false;
    ch.looped = false;
    Log(channel, MixerOp::Bind, value);
    return true;
}

void VirtualMixer::Stop(int channel) {
    if (!Exists(channel)) {
        Log(channel, MixerOp::Stop, [] { return std::string("refused"); });
        return;
    }
    channels_[static_cast<size_t>(channel)].started = false;
    Log(channel, MixerOp::Stop, [] { return std::string(); });
}

void VirtualMixer::Start(int channel, bool looped) {
    const MixerOp op = looped ? MixerOp::Loop : MixerOp::Play;
    if (!Exists(channel)) {
        Log(channel, op, [] { return std::string("refused"); });
        return;
    }
    Channel& ch = channels_[static_cast<size_t>(channel)];
    ch.started = Frames(ch.sound) > 0;
    ch.looped = looped;
    ch.anchorMs = now_;
    ch.anchorMilliFrames = 0;
    Log(channel, op, [] { return std::string(); });
}

void VirtualMixer::Play(int channel) {
    Start(channel, false);
}

void VirtualMixer::PlayLooped(int channel) {
    Start(channel, true);
}

bool VirtualMixer::SetVolume(int channel, int32_t hundredthsDb) {
    const bool accepted = Exists(channel) && hundredthsDb <= 0;
    if (accepted) channels_[static_cast<size_t>(channel)].volume = hundredthsDb;
    Log(channel, MixerOp::Volume,
        [&] { return std::to_string(hundredthsDb) + (accepted ? "" : " refused"); });
    return accepted;
}

int32_t VirtualMixer::Volume(int channel) const {
    return Exists(channel) ? channels_[static_cast<size_t>(channel)].volume : 0;
}

bool VirtualMixer::SetFrequencyRatio(int channel, long double ratio) {
    if (!Exists(channel) || !std::isfinite(ratio) || ratio <= 0) {
        Log(channel, MixerOp::Frequency, [&] { return RatioText(ratio) + " refused"; });
        return false;
    }
    Channel& ch = channels_[static_cast<size_t>(channel)];
    // The part already played stays played; only what follows changes speed.
    if (ch.started && !ch.looped) {
        ch.anchorMilliFrames = PositionMilliFrames(ch);
        ch.anchorMs = now_;
    }
    ch.ratio = ratio;
    Log(channel, MixerOp::Frequency,
        [&] { return RatioText(ratio) + " " + std::to_string(FrequencyOf(ch)); });
    return true;
}

void VirtualMixer::SetPrimaryFormat(int samplesPerSecond, int bitsPerSample, int channels) {
    format_ = PrimaryFormat{samplesPerSecond, bitsPerSample, channels};
    Log(-1, MixerOp::Format, [&] {
        return std::to_string(samplesPerSecond) + " " + std::to_string(bitsPerSample) + " " +
               std::to_string(channels);
    });
}

bool VirtualMixer::Reinitialise() {
    if (reinitialiseFails) {
        Log(-1, MixerOp::Reinit, [] { return std::string("refused"); });
        return false;
    }
    channels_.fill(Channel{});
    Log(-1, MixerOp::Reinit, [] { return std::string(); });
    return true;
}

void VirtualMixer::Write(int channel, MixerOp op, std::string value) {
    if (sink_ != nullptr) {
        *sink_ << now_ << ' ' << channel << ' ' << MixerOpName(op);
        if (!value.empty()) *sink_ << ' ' << value;
        *sink_ << '\n';
    }
    if (keepRecords_) records_.push_back(MixerCommand{now_, channel, op, std::move(value)});
}

}  // namespace kelvaron
