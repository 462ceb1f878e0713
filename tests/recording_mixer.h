#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sound_mixer.h"

namespace kelvaron::test {

// A mixer for unit tests: remembers every command, and plays a channel until
// the test says it has finished (FinishPlaying) or stops it.
class RecordingMixer : public SoundMixer {
  public:
    struct Command {
        std::string op;
        int channel;
        long double value;
    };
    std::vector<Command> commands;
    std::map<int, bool> playing;
    std::map<int, int32_t> volumes;
    std::map<int, long double> ratios;
    std::map<int, SoundId> bound;
    int nextSound = 0;

    SoundId CreateSound(const std::filesystem::path&) override { return nextSound++; }
    SoundId CreateSoundFromSamples(const WaveSound&) override { return nextSound++; }
    void FreeSound(SoundId) override {}
    bool Bind(int channel, SoundId sound) override {
        if (channel < 0 || channel >= kChannelCount) return false;
        bound[channel] = sound;
        commands.push_back({"bind", channel, static_cast<long double>(sound)});
        return true;
    }
    void Stop(int channel) override {
        playing[channel] = false;
        commands.push_back({"stop", channel, 0});
    }
    void Play(int channel) override {
        playing[channel] = true;
        commands.push_back({"play", channel, 0});
    }
    void PlayLooped(int channel) override {
        playing[channel] = true;
        commands.push_back({"loop", channel, 0});
    }
    bool IsPlaying(int channel) const override {
        auto it = playing.find(channel);
        return it != playing.end() && it->second;
    }
    bool SetVolume(int channel, int32_t v) override {
        commands.push_back({"volume", channel, static_cast<long double>(v)});
        if (v > 0) return false;
        volumes[channel] = v;
        return true;
    }
    int32_t Volume(int channel) const override {
        auto it = volumes.find(channel);
        return it == volumes.end() ? 0 : it->second;
    }
    bool SetFrequencyRatio(int channel, long double ratio) override {
        commands.push_back({"frequency", channel, ratio});
        if (!(ratio > 0)) return false;
        ratios[channel] = ratio;
        return true;
    }
    void SetPrimaryFormat(int, int, int) override {}
    bool Reinitialise() override { return true; }

    void FinishPlaying(int channel) { playing[channel] = false; }
    int Count(const std::string& op, int channel) const {
        int n = 0;
        for (const auto& c : commands) n += c.op == op && c.channel == channel;
        return n;
    }
};

}  // namespace kelvaron::test
