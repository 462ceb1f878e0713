#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sound_mixer.h"

namespace kelvaron {

enum class MixerOp { Bind, Stop, Play, Loop, Volume, Frequency, Format, Free, Reinit };

std::string_view MixerOpName(MixerOp op);

// One command the mixer was given, at the virtual time it was given.
struct MixerCommand {
    int64_t timeMs = 0;
    int32_t channel = -1;  // -1 for commands that concern no channel
    MixerOp op = MixerOp::Stop;
    std::string value;  // ends in "refused" when the command was refused
};

// A mixer that plays nothing audible: it knows each sound's length and rate
// and follows playback in virtual time, so runs and tests can ask whether a
// channel is still playing without a sound device. Every command is logged.
class VirtualMixer : public SoundMixer {
  public:
    // Lines go to `sink` as "<ms> <channel> <op> <value>" when it is set; the
    // records are kept in memory unless `keepRecords` is false (long runs).
    explicit VirtualMixer(std::ostream* sink = nullptr, bool keepRecords = true);

    // Moves virtual time on; an earlier time than the current one is ignored.
    void SetTime(int64_t ms) override;
    int64_t Time() const { return now_; }

    const VirtualMixer* Timing() const override { return this; }

    // Takes over another mixer's sounds, channels and time, as they stand, but
    // not its log: a copy made to look ahead must not write into the run's.
    void CopyPlaybackFrom(const VirtualMixer& other);

    // Makes Reinitialise fail, as a device that cannot be re-created does.
    bool reinitialiseFails = false;

    const std::vector<MixerCommand>& Records() const { return records_; }

    // What a loaded sound holds: 0 frames and rate 0 for a silent sound.
    int64_t Frames(SoundId sound) const;
    int32_t SampleRate(SoundId sound) const;

    SoundId BoundSound(int channel) const;
    // Playback rate in Hz of the bound sound, 0 without a (non-silent) sound.
    int32_t Frequency(int channel) const;
    bool IsLooping(int channel) const;

    struct PrimaryFormat {
        int samplesPerSecond = 0;
        int bitsPerSample = 0;
        int channels = 0;
    };
    PrimaryFormat Format() const { return format_; }

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
        int64_t frames = 0;
        int32_t rate = 0;
        bool freed = false;
        std::string name;
    };
    struct Channel {
        SoundId sound = kNoSound;
        bool started = false;
        bool looped = false;
        int32_t volume = 0;
        long double ratio = 1.0L;
        // Playback position in thousandths of a frame at `anchorMs`; position
        // moves by `frequency` thousandths per virtual millisecond.
        int64_t anchorMs = 0;
        int64_t anchorMilliFrames = 0;
    };

    static bool Exists(int channel) { return channel >= 0 && channel < kChannelCount; }
    const Sound* Find(SoundId sound) const;
    int32_t FrequencyOf(const Channel& channel) const;
    int64_t PositionMilliFrames(const Channel& channel) const;
    void Start(int channel, bool looped);
    // The value text is made only when someone reads the log: a long run
    // without one gives the mixer tens of thousands of commands.
    template <class MakeValue>
    void Log(int channel, MixerOp op, MakeValue&& makeValue) {
        if (sink_ != nullptr || keepRecords_) Write(channel, op, makeValue());
    }
    void Write(int channel, MixerOp op, std::string value);

    std::ostream* sink_;
    bool keepRecords_;
    int64_t now_ = 0;
    PrimaryFormat format_;
    std::vector<Sound> sounds_;
    std::array<Channel, kChannelCount> channels_{};
    std::vector<MixerCommand> records_;
};

}  // namespace kelvaron
