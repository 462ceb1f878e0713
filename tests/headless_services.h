#pragma once

#include "platform/headless/fake_video_reader.h"
#include "platform/headless/memory_settings_store.h"
#include "platform/headless/scripted_joystick.h"
#include "platform/headless/scripted_serial_port.h"
#include "platform/headless/stderr_message_box.h"
#include "platform/headless/virtual_mixer.h"
#include "platform/qt/qt_picture_loader.h"
#include "shell/run_window.h"

namespace kelvaron::test {

// The services a run is built with when nobody watches: tests, benchmarks and
// fuzzers pick the mixer and the video reader, the rest is the same for all.
// Messages stay quiet; a caller that wants them sets `messages.echo`.
template <class Mixer = VirtualMixer, class Video = FakeVideoReader>
struct HeadlessServices {
    template <class... MixerArgs>
    explicit HeadlessServices(MixerArgs&&... mixerArgs)
        : mixer(std::forward<MixerArgs>(mixerArgs)...) {
        messages.echo = false;
    }

    PlatformServices Platform() {
        return PlatformServices{mixer, video, pictures, joystick, serial, settings, messages};
    }

    Mixer mixer;
    Video video;
    QtPictureLoader pictures;
    ScriptedJoystick joystick;
    ScriptedSerialPort serial;
    MemorySettingsStore settings;
    StderrMessageBox messages;
};

}  // namespace kelvaron::test
