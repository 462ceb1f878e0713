#include "platform/headless/virtual_mixer.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/wave_file.h"
#include "test_support.h"

namespace kelvaron {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A PCM WAVE file written byte by byte; `claimedFrames` is what the header
// says, `frames` what the file really holds.
std::filesystem::path WriteWave(const std::filesystem::path& path, uint32_t rate, int bits,
                                int channels, uint32_t frames, uint32_t claimedFrames) {
    const uint32_t block = static_cast<uint32_t>(channels * bits / 8);
    std::string out = "RIFF";
    PutLe(out, 36 + claimedFrames * block, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, static_cast<uint32_t>(channels), 2);
    PutLe(out, rate, 4);
    PutLe(out, rate * block, 4);
    PutLe(out, block, 2);
    PutLe(out, static_cast<uint32_t>(bits), 2);
    out += "data";
    PutLe(out, claimedFrames * block, 4);
    for (uint32_t i = 0; i < frames * block; ++i) out.push_back(static_cast<char>(i * 7));
    test::WriteFile(path, out);
    return path;
}

std::filesystem::path WriteWave(const std::filesystem::path& path, uint32_t rate, int bits,
                                int channels, uint32_t frames) {
    return WriteWave(path, rate, bits, channels, frames, frames);
}

class VirtualMixerTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = test::MakeTempDir();
    VirtualMixer mixer;
};

TEST_F(VirtualMixerTest, WaveFilesOfEightAndSixteenBitsKnowTheirLength) {
    const SoundId mono8 = mixer.CreateSound(WriteWave(dir / "a.wav", 8000, 8, 1, 8000));
    const SoundId stereo16 = mixer.CreateSound(WriteWave(dir / "b.wav", 44100, 16, 2, 4410));
    EXPECT_EQ(mixer.Frames(mono8), 8000);
    EXPECT_EQ(mixer.SampleRate(mono8), 8000);
    // 4410 frames of 4 bytes each: channels do not multiply the length.
    EXPECT_EQ(mixer.Frames(stereo16), 4410);
    EXPECT_EQ(mixer.SampleRate(stereo16), 44100);
}

TEST_F(VirtualMixerTest, MissingOrBrokenFilesGiveSilentSoundsThatNeverPlay) {
    test::WriteFile(dir / "junk.wav", "RIFF\x10\0\0\0WAVEjunkjunk");
    test::WriteFile(dir / "empty.wav", "");
    const SoundId sounds[] = {
        mixer.CreateSound(dir / "missing.wav"),
        mixer.CreateSound(dir / "junk.wav"),
        mixer.CreateSound(dir / "empty.wav"),
        mixer.CreateSound(WriteWave(dir / "nodata.wav", 22050, 16, 1, 0)),
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(sounds[i], kNoSound);
        EXPECT_EQ(mixer.Frames(sounds[i]), 0) << i;
        ASSERT_TRUE(mixer.Bind(i, sounds[i]));
        mixer.Play(i);
        EXPECT_FALSE(mixer.IsPlaying(i)) << i;
        mixer.PlayLooped(i);
        EXPECT_FALSE(mixer.IsPlaying(i)) << i;
    }
    // A header promising 1 s that holds 100 frames plays those 100 frames.
    const SoundId cut = mixer.CreateSound(WriteWave(dir / "cut.wav", 1000, 16, 1, 100, 1000));
    EXPECT_EQ(mixer.Frames(cut), 100);
}

// Lengths come from the header once its last frame is there. Whatever the
// header says, a sound is as long as the samples a player decodes from it.
TEST_F(VirtualMixerTest, CompressedCutAndOddSizedFilesAreAsLongAsWhatDecodes) {
    SF_INFO info{};
    info.samplerate = 11025;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM;
    const auto adpcm = dir / "adpcm.wav";
    SNDFILE* sf = sf_open(adpcm.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr);
    std::vector<short> samples(3000, 1000);
    ASSERT_EQ(sf_write_short(sf, samples.data(), 3000), 3000);
    sf_close(sf);

    // Cut inside its second block of compressed data.
    const std::string bytes = test::ReadAll(adpcm);
    const size_t dataAt = bytes.find("data") + 8;
    const size_t blockAlign =
        static_cast<uint8_t>(bytes[32]) | static_cast<size_t>(static_cast<uint8_t>(bytes[33])) << 8;
    test::WriteFile(dir / "adpcm_cut.wav", bytes.substr(0, dataAt + blockAlign + blockAlign / 2));

    // 16-bit mono data of 201 bytes holds 100 whole frames.
    std::string odd = test::ReadAll(WriteWave(dir / "odd.wav", 1000, 16, 1, 101));
    odd.pop_back();
    test::WriteFile(dir / "odd.wav", odd);

    const auto decodedFrames = [](const std::filesystem::path& file) {
        return static_cast<int64_t>(ReadWaveMono(file).samples.size());
    };
    // IMA ADPCM keeps whole blocks: at least the 3000 frames written.
    EXPECT_GE(mixer.Frames(mixer.CreateSound(adpcm)), 3000);
    for (const char* name : {"adpcm.wav", "adpcm_cut.wav", "odd.wav"}) {
        EXPECT_EQ(mixer.Frames(mixer.CreateSound(dir / name)), decodedFrames(dir / name)) << name;
    }
    EXPECT_EQ(mixer.Frames(mixer.CreateSound(dir / "odd.wav")), 100);
}

TEST_F(VirtualMixerTest, OnceSoundPlaysForItsLengthAndLoopedUntilStopped) {
    // 11025 frames at 22050 Hz last 500 ms.
    const SoundId half = mixer.CreateSound(WriteWave(dir / "h.wav", 22050, 16, 1, 11025));
    mixer.Bind(0, half);
    mixer.Bind(1, half);
    EXPECT_FALSE(mixer.IsPlaying(0));
    mixer.SetTime(1000);
    mixer.Play(0);
    mixer.PlayLooped(1);
    mixer.SetTime(1499);
    EXPECT_TRUE(mixer.IsPlaying(0));
    mixer.SetTime(1500);
    EXPECT_FALSE(mixer.IsPlaying(0));
    mixer.SetTime(1000);  // time never goes back
    EXPECT_FALSE(mixer.IsPlaying(0));
    mixer.SetTime(60000);
    EXPECT_TRUE(mixer.IsPlaying(1));
    mixer.Stop(1);
    EXPECT_FALSE(mixer.IsPlaying(1));

    // Play restarts from the start: 500 ms from now again.
    mixer.Play(0);
    mixer.SetTime(60400);
    Restart(mixer, 0);
    mixer.SetTime(60899);
    EXPECT_TRUE(mixer.IsPlaying(0));
    mixer.SetTime(60900);
    EXPECT_FALSE(mixer.IsPlaying(0));
}

TEST_F(VirtualMixerTest, FrequencyRatioScalesPlayingTimeFromThePositionReached) {
    const SoundId second = mixer.CreateSound(WriteWave(dir / "s.wav", 8000, 8, 1, 8000));
    mixer.Bind(7, second);
    ASSERT_TRUE(mixer.SetFrequencyRatio(7, 2.0L));
    EXPECT_EQ(mixer.Frequency(7), 16000);
    mixer.Play(7);  // 8000 frames at 16000 Hz: 500 ms
    mixer.SetTime(499);
    EXPECT_TRUE(mixer.IsPlaying(7));
    mixer.SetTime(500);
    EXPECT_FALSE(mixer.IsPlaying(7));

    // From 1 s at ratio 1: after 400 ms, 600 ms of sound are left; at ratio 2
    // they take 300 ms, so it ends at 1700.
    mixer.SetFrequencyRatio(7, 1.0L);
    mixer.SetTime(1000);
    mixer.Play(7);
    mixer.SetTime(1400);
    mixer.SetFrequencyRatio(7, 2.0L);
    mixer.SetTime(1699);
    EXPECT_TRUE(mixer.IsPlaying(7));
    mixer.SetTime(1700);
    EXPECT_FALSE(mixer.IsPlaying(7));

    // 8000 x 1.33339 = 10667.12, truncated.
    EXPECT_TRUE(mixer.SetFrequencyRatio(7, 1.33339L));
    EXPECT_EQ(mixer.Frequency(7), 10667);
    for (long double bad : {0.0L, -1.0L, std::nanl(""), HUGE_VALL}) {
        EXPECT_FALSE(mixer.SetFrequencyRatio(7, bad));
        EXPECT_EQ(mixer.Frequency(7), 10667);
    }
    // The ratio belongs to the channel: a sound bound later plays at it too.
    const SoundId fast = mixer.CreateSound(WriteWave(dir / "f.wav", 22050, 16, 1, 10));
    mixer.Bind(7, fast);
    EXPECT_EQ(mixer.Frequency(7), 29401);  // 22050 x 1.33339 = 29401.25
}

TEST_F(VirtualMixerTest, VolumeAboveZeroIsRefusedAndTheLastOneKept) {
    EXPECT_EQ(mixer.Volume(4), 0);
    EXPECT_TRUE(mixer.SetVolume(4, -2500));
    EXPECT_FALSE(mixer.SetVolume(4, 120));
    EXPECT_EQ(mixer.Volume(4), -2500);
    EXPECT_TRUE(mixer.SetVolume(4, 0));
    EXPECT_EQ(mixer.Volume(4), 0);
}

TEST_F(VirtualMixerTest, ChannelsOutsideTheMixerDoNothing) {
    const SoundId s = mixer.CreateSound(WriteWave(dir / "s.wav", 8000, 8, 1, 8000));
    for (int channel : {-1, 256, 1000}) {
        EXPECT_FALSE(mixer.Bind(channel, s));
        mixer.PlayLooped(channel);
        EXPECT_FALSE(mixer.IsPlaying(channel));
        EXPECT_FALSE(mixer.SetVolume(channel, -100));
        EXPECT_FALSE(mixer.SetFrequencyRatio(channel, 1.0L));
    }
    EXPECT_TRUE(mixer.Bind(255, s));
}

TEST_F(VirtualMixerTest, BindingFreeingAndReinitialisingStopChannels) {
    const SoundId a = mixer.CreateSound(WriteWave(dir / "a.wav", 8000, 8, 1, 8000));
    const SoundId b = mixer.CreateSound(WriteWave(dir / "b.wav", 8000, 8, 1, 8000));
    mixer.Bind(1, a);
    mixer.Bind(2, b);
    mixer.Bind(3, b);
    for (int c = 1; c <= 3; ++c) mixer.PlayLooped(c);
    mixer.SetVolume(1, -300);

    mixer.Bind(1, b);
    EXPECT_FALSE(mixer.IsPlaying(1));
    EXPECT_EQ(mixer.Volume(1), -300);
    mixer.FreeSound(b);
    EXPECT_FALSE(mixer.IsPlaying(2));
    EXPECT_EQ(mixer.BoundSound(3), kNoSound);

    mixer.Bind(2, a);
    mixer.PlayLooped(2);
    EXPECT_TRUE(mixer.Reinitialise());
    EXPECT_FALSE(mixer.IsPlaying(2));
    EXPECT_EQ(mixer.BoundSound(2), kNoSound);
    EXPECT_EQ(mixer.Volume(1), 0);
    mixer.reinitialiseFails = true;
    EXPECT_FALSE(mixer.Reinitialise());
}

TEST_F(VirtualMixerTest, EveryCommandIsLoggedWithItsTime) {
    std::ostringstream lines;
    VirtualMixer logged(&lines);
    const SoundId s = logged.CreateSound(WriteWave(dir / "horn.wav", 8000, 8, 1, 80));
    logged.SetPrimaryFormat(22050, 8, 1);
    logged.SetTime(1500);
    logged.Bind(3, s);
    logged.SetVolume(3, 120);
    logged.SetFrequencyRatio(3, 1.5L);
    logged.PlayLooped(3);
    logged.Play(256);
    logged.Stop(3);
    logged.FreeSound(s);
    logged.Reinitialise();
    EXPECT_EQ(lines.str(),
              "0 -1 format 22050 8 1\n"
              "1500 3 bind 0 horn.wav\n"
              "1500 3 volume 120 refused\n"
              "1500 3 frequency 1.5 12000\n"
              "1500 3 loop\n"
              "1500 256 play refused\n"
              "1500 3 stop\n"
              "1500 -1 free 0\n"
              "1500 -1 reinit\n");
    ASSERT_EQ(logged.Records().size(), 9u);
    EXPECT_EQ(logged.Records()[2].op, MixerOp::Volume);
    EXPECT_EQ(logged.Records()[2].value, "120 refused");
}

}  // namespace
}  // namespace kelvaron
