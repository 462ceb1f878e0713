#include "data/sound_setup.h"

#include <algorithm>

#include "common/data_path.h"

namespace kelvaron {

namespace {

// A name that is refused plays silence, as a missing file does.
SoundId Load(const std::filesystem::path& dataDir, const std::string& name, SoundMixer& mixer) {
    if (name.empty()) return kNoSound;
    const DataFile file = ResolveDataPath(dataDir, name);
    return file.Refused() ? kNoSound : mixer.CreateSound(file.path);
}

int Count(const std::vector<SoundId>& table) {
    return static_cast<int>(table.size());
}

}  // namespace

void CreateSounds(const std::filesystem::path& dataDir, const TrainConfig& train,
                  const LineDefinition& line, SoundMixer& mixer, SoundTables& sounds) {
    sounds = SoundTables();
    for (const auto& name : train.DriveSound)
        sounds.DriveWaves.push_back(Load(dataDir, name, mixer));
    for (const auto& name : line.SoundData) sounds.LineWaves.push_back(Load(dataDir, name, mixer));
    sounds.CommentaryWaves.assign(kMaxCommentarySlots, kNoSound);
    for (int i = 0; i < kKankoSound1Count; ++i) {
        sounds.CommentaryWaves[static_cast<size_t>(i)] =
            Load(dataDir, line.KankoSound1[static_cast<size_t>(i)], mixer);
    }
    for (size_t n = 0; n < line.KankoSound2.size() && kKankoSound1Count + n < kMaxCommentarySlots;
         ++n) {
        sounds.CommentaryWaves[kKankoSound1Count + n] =
            Load(dataDir, line.KankoSound2[n].FileName, mixer);
    }
    for (const auto& name : line.OtherImageSounds) {
        sounds.OtherWaves.push_back(Load(dataDir, name, mixer));
    }
    for (const auto& m : train.MotorSound) {
        sounds.MotorWaves.push_back(Load(dataDir, m.FileName, mixer));
    }
}

std::vector<std::string> SoundFileNames(const TrainConfig& train, const LineDefinition& line) {
    std::vector<std::string> names(train.DriveSound);
    names.insert(names.end(), line.SoundData.begin(), line.SoundData.end());
    names.insert(names.end(), line.KankoSound1.begin(), line.KankoSound1.end());
    for (const Kanko& k : line.KankoSound2) names.push_back(k.FileName);
    names.insert(names.end(), line.OtherImageSounds.begin(), line.OtherImageSounds.end());
    for (const MotorSoundData& m : train.MotorSound) names.push_back(m.FileName);
    std::erase_if(names, [](const std::string& n) { return n.empty(); });
    return names;
}

bool BindSounds(const SoundTables& sounds, SoundMixer& mixer, std::string& error) {
    auto bind = [&](int channel, SoundId sound) {
        if (channel < 0 || channel >= SoundMixer::kChannelCount) {
            error = kChannelBindError;
            return false;
        }
        mixer.Bind(channel, sound);
        return true;
    };
    const int drive = Count(sounds.DriveWaves);
    for (int i = 0; i < drive; ++i) {
        if (!bind(i, sounds.DriveWaves[static_cast<size_t>(i)])) return false;
    }
    for (int j = 0; j < Count(sounds.LineWaves); ++j) {
        if (!bind(drive + j, sounds.LineWaves[static_cast<size_t>(j)])) return false;
    }
    for (int k = 0; k < Count(sounds.MotorWaves); ++k) {
        if (!bind(kMotorSoundFirstChannel + k, sounds.MotorWaves[static_cast<size_t>(k)])) {
            return false;
        }
    }
    return true;
}

void StopBoundChannels(const SoundTables& sounds, const LineDefinition& line, SoundMixer& mixer) {
    const int last = Count(sounds.DriveWaves) + Count(sounds.LineWaves) + line.CommentaryCount();
    for (int c = 0; c < last; ++c) mixer.Stop(c);
    for (int k = 0; k < Count(sounds.MotorWaves); ++k) mixer.Stop(kMotorSoundFirstChannel + k);
}

void ReleaseSounds(SoundTables& sounds, SoundMixer& mixer) {
    const int lineEnd = Count(sounds.DriveWaves) + Count(sounds.LineWaves);
    for (int c = 0; c < lineEnd; ++c) mixer.Stop(c);
    for (int k = 0; k < Count(sounds.MotorWaves); ++k) mixer.Stop(kMotorSoundFirstChannel + k);
    mixer.Stop(kRuntimeSoundChannel);
    for (auto* table : {&sounds.DriveWaves, &sounds.LineWaves, &sounds.CommentaryWaves,
                        &sounds.OtherWaves, &sounds.MotorWaves}) {
        for (SoundId id : *table) {
            if (id != kNoSound) mixer.FreeSound(id);
        }
        table->clear();
    }
}

DataFile ResolveVideoFile(const std::filesystem::path& dataDir, const std::string& videoFolder,
                          const std::string& dataName) {
    const std::string name = videoFolder + dataName + ".avi";
    const size_t cut = videoFolder.find_last_of("/\\");
    if (cut == std::string::npos) return ResolveDataPath(dataDir, name);
    std::string folder = videoFolder.substr(0, cut + 1);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    const std::filesystem::path folderPath = std::filesystem::path(folder).lexically_normal();
    const bool leavesDataFolder =
        folderPath.is_absolute() || (!folderPath.empty() && *folderPath.begin() == "..");
    // Inside the data folder, or a folder name that is refused anyway: resolved as a whole.
    if (!leavesDataFolder || HasControlCharacter(folder)) return ResolveDataPath(dataDir, name);
    return ResolveDataPath(dataDir / folderPath, name.substr(cut + 1));
}

}  // namespace kelvaron
