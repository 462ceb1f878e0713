#include "platform/openal/openal_mixer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/wave_file.h"

namespace kelvaron {

namespace {

ALCdevice* Device(void* p) {
    return static_cast<ALCdevice*>(p);
}
ALCcontext* Context(void* p) {
    return static_cast<ALCcontext*>(p);
}

}  // namespace

OpenAlMixer::OpenAlMixer() {
    OpenDevice();
}

OpenAlMixer::~OpenAlMixer() {
    CloseDevice();
}

bool OpenAlMixer::OpenDevice() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr) return false;
    // The mix is the plain sum of its channels, clipped at full scale: the
    // data's volumes alone decide how loud it gets. The library would
    // otherwise squeeze loud moments, at the cost of an exponential and a
    // logarithm for every sample of output.
    const bool limiterOff = alcIsExtensionPresent(device, "ALC_SOFT_output_limiter") == ALC_TRUE;
    const ALCint attributes[] = {ALC_MONO_SOURCES,
                                 kChannelCount,
                                 ALC_STEREO_SOURCES,
                                 0,
                                 limiterOff ? ALC_OUTPUT_LIMITER_SOFT : 0,
                                 ALC_FALSE,
                                 0};
    ALCcontext* context = alcCreateContext(device, attributes);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        if (context != nullptr) alcDestroyContext(context);
        alcCloseDevice(device);
        return false;
    }
    device_ = device;
    context_ = context;
    alGetError();
    // A device that offers fewer sources leaves the highest channels silent.
    for (Channel& ch : channels_) {
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) break;
        // Channels are not placed in space: every sound plays at the listener.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0, 0, 0);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0);
        ch.source = source;
    }
    return true;
}

void OpenAlMixer::CloseDevice() {
    if (context_ != nullptr) {
        for (Channel& ch : channels_) {
            if (ch.source != 0) {
                alSourceStop(ch.source);
                alDeleteSources(1, &ch.source);
            }
        }
        for (Sound& sound : sounds_) {
            if (sound.buffer != 0) alDeleteBuffers(1, &sound.buffer);
        }
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Context(context_));
    }
    if (device_ != nullptr) alcCloseDevice(Device(device_));
    device_ = nullptr;
    context_ = nullptr;
    // Buffers belong to the device: sounds made on it are silent from now on.
    for (Sound& sound : sounds_) sound.buffer = 0;
    channels_.fill(Channel{});
}

SoundId OpenAlMixer::CreateSound(const std::filesystem::path& file) {
    // Without a device nothing is decoded: the sound would stay silent anyway.
    return CreateSoundFromSamples(HasDevice() ? ReadWaveMono(file) : WaveSound{});
}

SoundId OpenAlMixer::CreateSoundFromSamples(const WaveSound& wave) {
    Sound sound;
    if (HasDevice() && wave.rate > 0) {
        constexpr size_t kMaxBytes = static_cast<size_t>(std::numeric_limits<ALsizei>::max());
        if (!wave.samples.empty() && wave.samples.size() * sizeof(int16_t) <= kMaxBytes) {
            alGetError();
            ALuint buffer = 0;
            alGenBuffers(1, &buffer);
            if (alGetError() == AL_NO_ERROR) {
                alBufferData(buffer, AL_FORMAT_MONO16, wave.samples.data(),
                             static_cast<ALsizei>(wave.samples.size() * sizeof(int16_t)),
                             wave.rate);
                if (alGetError() == AL_NO_ERROR) {
                    sound = Sound{buffer, wave.rate};
                } else {
                    alDeleteBuffers(1, &buffer);
                }
            }
        }
    }
    sounds_.push_back(sound);
    return static_cast<SoundId>(sounds_.size() - 1);
}

void OpenAlMixer::FreeSound(SoundId sound) {
    if (sound < 0 || static_cast<size_t>(sound) >= sounds_.size()) return;
    Sound& s = sounds_[static_cast<size_t>(sound)];
    // A buffer cannot be deleted while a source holds it.
    for (Channel& ch : channels_) {
        if (ch.sound != sound) continue;
        if (ch.source != 0) {
            alSourceStop(ch.source);
            alSourcei(ch.source, AL_BUFFER, 0);
        }
        ch.sound = kNoSound;
    }
    if (s.buffer != 0) alDeleteBuffers(1, &s.buffer);
    s = Sound{};
}

bool OpenAlMixer::Bind(int channel, SoundId sound) {
    if (!Exists(channel)) return false;
    Channel& ch = channels_[static_cast<size_t>(channel)];
    const bool known = sound >= 0 && static_cast<size_t>(sound) < sounds_.size();
    ch.sound = known ? sound : kNoSound;
    if (ch.source != 0) {
        alSourceStop(ch.source);
        const ALuint buffer = known ? sounds_[static_cast<size_t>(sound)].buffer : 0;
        alSourcei(ch.source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcef(ch.source, AL_PITCH, 1.0f);
        ch.pitch = 1.0f;
    }
    return true;
}

bool OpenAlMixer::Audible(const Channel& ch) const {
    return ch.source != 0 && ch.sound != kNoSound &&
           sounds_[static_cast<size_t>(ch.sound)].buffer != 0;
}

void OpenAlMixer::Stop(int channel) {
    if (!Exists(channel)) return;
    const Channel& ch = channels_[static_cast<size_t>(channel)];
    if (ch.source != 0) alSourceStop(ch.source);
}

void OpenAlMixer::Start(int channel, bool looped) {
    if (!Exists(channel)) return;
    const Channel& ch = channels_[static_cast<size_t>(channel)];
    if (!Audible(ch)) return;
    alSourcei(ch.source, AL_LOOPING, looped ? AL_TRUE : AL_FALSE);
    // Stopped first so that a sound already playing starts again from its beginning.
    alSourceStop(ch.source);
    alSourcePlay(ch.source);
}

void OpenAlMixer::Play(int channel) {
    Start(channel, false);
}

void OpenAlMixer::PlayLooped(int channel) {
    Start(channel, true);
}

bool OpenAlMixer::IsPlaying(int channel) const {
    if (!Exists(channel)) return false;
    const Channel& ch = channels_[static_cast<size_t>(channel)];
    if (!Audible(ch)) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(ch.source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

bool OpenAlMixer::SetVolume(int channel, int32_t hundredthsDb) {
    if (!Exists(channel) || hundredthsDb > 0) return false;
    Channel& ch = channels_[static_cast<size_t>(channel)];
    ch.volume = hundredthsDb;
    const auto gain =
        static_cast<ALfloat>(std::pow(10.0, static_cast<double>(hundredthsDb) / 2000.0));
    if (ch.source != 0 && gain != ch.gain) {
        alSourcef(ch.source, AL_GAIN, gain);
        ch.gain = gain;
    }
    return true;
}

int32_t OpenAlMixer::Volume(int channel) const {
    return Exists(channel) ? channels_[static_cast<size_t>(channel)].volume : 0;
}

bool OpenAlMixer::SetFrequencyRatio(int channel, long double ratio) {
    if (!Exists(channel) || !std::isfinite(ratio) || ratio <= 0) return false;
    Channel& ch = channels_[static_cast<size_t>(channel)];
    if (!Audible(ch)) return true;
    // The playback rate is a whole number of Hz, at least 1.
    const long double rate = sounds_[static_cast<size_t>(ch.sound)].rate;
    const long double hz = std::clamp(std::trunc(rate * ratio), 1.0L, 1.0e9L);
    const auto pitch = static_cast<ALfloat>(hz / rate);
    if (pitch != ch.pitch) {
        alSourcef(ch.source, AL_PITCH, pitch);
        ch.pitch = pitch;
    }
    return true;
}

void OpenAlMixer::SetPrimaryFormat(int, int, int) {
    // The output format is the device's own: OpenAL converts every sound to it,
    // so asking for a coarser one would only lower the quality.
}

bool OpenAlMixer::Reinitialise() {
    const bool hadDevice = device_ != nullptr;
    CloseDevice();
    // A machine without a sound device plays silently from the start; going
    // back to that state is no failure that should end the program.
    return OpenDevice() || !hadDevice;
}

}  // namespace kelvaron
