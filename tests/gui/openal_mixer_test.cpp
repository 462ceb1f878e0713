#include "platform/openal/openal_mixer.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "test_support.h"

namespace kelvaron {
namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// Writes a mono 16-bit WAVE of `seconds` whose sample i is `at(i)`.
template <typename At>
void WriteWave(const std::filesystem::path& file, double seconds, At at) {
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sf = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr);
    std::vector<float> samples(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(at(i));
    sf_writef_float(sf, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(sf);
}

void WriteSine(const std::filesystem::path& file, double hz, double seconds, double amplitude) {
    WriteWave(file, seconds,
              [&](size_t i) { return amplitude * std::sin(2 * kPi * hz * i / kRate); });
}

struct Capture {
    std::vector<float> samples;
    int rate = 0;
};

Capture ReadCapture(const std::filesystem::path& file) {
    SF_INFO info{};
    SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
    Capture c;
    if (sf == nullptr || info.channels != 1) return c;
    c.rate = info.samplerate;
    c.samples.resize(static_cast<size_t>(info.frames));
    c.samples.resize(static_cast<size_t>(sf_readf_float(sf, c.samples.data(), info.frames)));
    sf_close(sf);
    return c;
}

// The mixer writes its output to a WAVE file instead of a sound card, so the
// test hears what a player would. The configuration must be in place before
// the library first opens a device.
class OpenAlMixerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new std::filesystem::path(test::MakeTempDir());
        test::WriteFile(*dir / "alsoft.conf",
                        "[general]\ndrivers=wave\nchannels=mono\n"
                        "frequency=44100\nsample-type=float32\n"
                        "[wave]\nfile=" +
                            (*dir / "out.wav").string() + "\n");
        setenv("ALSOFT_CONF", (*dir / "alsoft.conf").c_str(), 1);
    }
    static std::filesystem::path* dir;
};
std::filesystem::path* OpenAlMixerTest::dir = nullptr;

TEST_F(OpenAlMixerTest, PlaysAtTheFrequencyRatioAndTheVolumeGiven) {
    WriteSine(*dir / "tone.wav", 441, 0.4, 0.5);
    {
        OpenAlMixer mixer;
        ASSERT_TRUE(mixer.HasDevice());
        const SoundId tone = mixer.CreateSound(*dir / "tone.wav");
        ASSERT_TRUE(mixer.Bind(3, tone));
        ASSERT_TRUE(mixer.SetVolume(3, -600));
        ASSERT_TRUE(mixer.SetFrequencyRatio(3, 2.0L));
        // Bound again the sound starts at its own rate; the same volume and
        // ratio given once more are what it plays at.
        ASSERT_TRUE(mixer.Bind(3, tone));
        ASSERT_TRUE(mixer.SetVolume(3, -600));
        ASSERT_TRUE(mixer.SetFrequencyRatio(3, 2.0L));
        mixer.Play(3);
        EXPECT_TRUE(mixer.IsPlaying(3));
        // At twice its rate the 0.4 s sound is over after 0.2 s.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        EXPECT_FALSE(mixer.IsPlaying(3));
    }  // closing the device finishes the file

    const Capture out = ReadCapture(*dir / "out.wav");
    ASSERT_GT(out.rate, 0);
    float peak = 0;
    size_t first = 0, last = 0, rises = 0;
    for (size_t i = 1; i < out.samples.size(); ++i) {
        peak = std::max(peak, std::abs(out.samples[i]));
        if (out.samples[i - 1] < 0 && out.samples[i] >= 0) {
            if (rises == 0) first = i;
            last = i;
            ++rises;
        }
    }
    // -6 dB is a gain of 10^(-600/2000) = 0.501: the 0.5 sine peaks at 0.25.
    EXPECT_NEAR(peak, 0.25, 0.02);
    // Twice 441 Hz: 882 rising zero crossings a second.
    ASSERT_GT(rises, 10u);
    const double hz = (rises - 1) * static_cast<double>(out.rate) / (last - first);
    EXPECT_NEAR(hz, 882, 10);
}

TEST_F(OpenAlMixerTest, MixesThePlainSumOfItsChannels) {
    WriteWave(*dir / "level.wav", 0.4, [](size_t) { return 0.8; });
    {
        OpenAlMixer mixer;
        ASSERT_TRUE(mixer.HasDevice());
        const SoundId level = mixer.CreateSound(*dir / "level.wav");
        ASSERT_TRUE(mixer.Bind(0, level));
        ASSERT_TRUE(mixer.Bind(1, level));
        mixer.Play(0);
        mixer.Play(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    const Capture out = ReadCapture(*dir / "out.wav");
    float peak = 0;
    for (const float v : out.samples) peak = std::max(peak, std::abs(v));
    // Two channels at 0.8 give 1.6 on a float output; nothing squeezes the
    // loud moment back under full scale.
    EXPECT_NEAR(peak, 1.6, 0.02);
}

TEST_F(OpenAlMixerTest, RefusesWhatTheDeviceCannotDoAndKeepsSilentSoundsSilent) {
    WriteSine(*dir / "short.wav", 441, 0.05, 0.5);
    test::WriteFile(*dir / "broken.wav", "RIFF not really a wave");
    OpenAlMixer mixer;
    ASSERT_TRUE(mixer.HasDevice());
    const SoundId good = mixer.CreateSound(*dir / "short.wav");
    const SoundId broken = mixer.CreateSound(*dir / "broken.wav");
    EXPECT_NE(good, broken);
    EXPECT_FALSE(mixer.Bind(256, good));
    EXPECT_FALSE(mixer.Bind(-1, good));

    ASSERT_TRUE(mixer.Bind(0, good));
    EXPECT_FALSE(mixer.SetFrequencyRatio(0, 0.0L));
    EXPECT_FALSE(mixer.SetFrequencyRatio(0, -1.0L));
    EXPECT_FALSE(mixer.SetFrequencyRatio(0, NAN));
    ASSERT_TRUE(mixer.SetVolume(0, -1200));
    EXPECT_FALSE(mixer.SetVolume(0, 10));
    EXPECT_EQ(mixer.Volume(0), -1200);

    // Looped, a 50 ms sound is still playing long after its end.
    mixer.PlayLooped(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(mixer.IsPlaying(0));
    mixer.Stop(0);
    EXPECT_FALSE(mixer.IsPlaying(0));

    ASSERT_TRUE(mixer.Bind(1, broken));
    mixer.Play(1);
    EXPECT_FALSE(mixer.IsPlaying(1));

    // After a re-creation the channels start afresh and freed sounds are silent.
    mixer.FreeSound(good);
    EXPECT_TRUE(mixer.Reinitialise());
    EXPECT_EQ(mixer.Volume(0), 0);
    ASSERT_TRUE(mixer.Bind(0, good));
    mixer.Play(0);
    EXPECT_FALSE(mixer.IsPlaying(0));
}

}  // namespace
}  // namespace kelvaron
