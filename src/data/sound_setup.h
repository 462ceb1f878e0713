#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/data_path.h"
#include "data/line_definition.h"
#include "data/sound_tables.h"
#include "data/train_config.h"
#include "platform/sound_mixer.h"

namespace kelvaron {

inline constexpr const char* kChannelBindError =
    "DirectSoundの割り当てに失敗しました。256チャンネルを超えています。";

// Loads every sound the two data files name into its table, in the order
// drive sounds, line sounds, call-out voices, sign voices, motor sounds. An
// empty name leaves its slot empty; a missing or broken file, or a name that
// leads out of the data folder or to anything but a regular file, plays silence.
void CreateSounds(const std::filesystem::path& dataDir, const TrainConfig& train,
                  const LineDefinition& line, SoundMixer& mixer, SoundTables& sounds);

// The name of every sound file the two data files name, as written, in the
// order CreateSounds loads them (empty names left out).
std::vector<std::string> SoundFileNames(const TrainConfig& train, const LineDefinition& line);

// Binds drive sounds from channel 0, line sounds after them and motor sounds
// from channel 240. False with the channel message when a channel to bind lies
// beyond the 256 channels.
bool BindSounds(const SoundTables& sounds, SoundMixer& mixer, std::string& error);

// Stops every channel the binding may have touched.
void StopBoundChannels(const SoundTables& sounds, const LineDefinition& line, SoundMixer& mixer);

// At the end of a run: stops the run's channels and the run-time channel and
// frees every loaded sound.
void ReleaseSounds(SoundTables& sounds, SoundMixer& mixer);

// The cab-view video: `videoFolder` ([Path] of the labels and paths file) joined
// with `dataName` ([DataName] of the line file) and ".avi". [Path] is the
// player's own setting and may lead anywhere; the line file's name must stay
// inside the folder it gives (the data folder when [Path] stays inside it).
DataFile ResolveVideoFile(const std::filesystem::path& dataDir, const std::string& videoFolder,
                          const std::string& dataName);

}  // namespace kelvaron
