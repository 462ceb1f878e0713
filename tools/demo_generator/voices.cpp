#include "voices.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <deque>
#include <numbers>
#include <sstream>

#include "data_path_names.h"
#include "wave_file.h"

extern char** environ;

namespace kelvaron::demo {

namespace {

constexpr const char* kSpeaker = "espeak-ng";
constexpr size_t kAtOnce = 3;

std::filesystem::path FindOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// Starts espeak-ng writing `file`; its own output goes nowhere. -1 on failure.
pid_t StartSpeaking(const std::filesystem::path& speaker, const std::filesystem::path& file,
                    const std::string& text) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = speaker.string(), voice = "-v", ja = "ja", speed = "-s", rate = "150",
                out = "-w", target = file.string(), words = text;
    char* argv[] = {program.data(), voice.data(),  ja.data(),    speed.data(), rate.data(),
                    out.data(),     target.data(), words.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool Finished(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Stands in for speech: one soft tone per kana, rising and falling like a phrase.
std::vector<float> Tones(const std::string& speech) {
    size_t syllables = 0;
    for (unsigned char c : speech) {
        if ((c & 0xC0) != 0x80 && c != ' ') ++syllables;  // characters, not bytes
    }
    syllables = std::max<size_t>(2, std::min<size_t>(syllables, 24));
    const double each = 0.11;
    std::vector<float> samples(static_cast<size_t>((syllables * each + 0.2) * kSampleRate));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const size_t k = static_cast<size_t>(t / each);
        if (k >= syllables) break;
        const double local = t - static_cast<double>(k) * each;
        const double pitch = 440.0 * (1.0 + 0.12 * std::sin(static_cast<double>(k) * 1.7));
        const double envelope = std::sin(std::numbers::pi * std::min(1.0, local / (each * 0.85)));
        samples[i] =
            static_cast<float>(0.4 * envelope * std::sin(2 * std::numbers::pi * pitch * t));
    }
    return samples;
}

bool Usable(const std::filesystem::path& file) {
    std::error_code e;
    return std::filesystem::file_size(file, e) > 1000 && !e;
}

}  // namespace

bool SpeechAvailable() {
    return !FindOnPath(kSpeaker).empty();
}

bool WriteVoices(const std::filesystem::path& outDir, const std::vector<Voice>& voices, int& spoken,
                 std::string& error) {
    const std::filesystem::path speaker = FindOnPath(kSpeaker);
    std::vector<bool> done(voices.size(), false);
    if (!speaker.empty()) {
        std::deque<std::pair<pid_t, size_t>> running;
        const auto reap = [&]() {
            const auto [pid, index] = running.front();
            running.pop_front();
            if (Finished(pid) && Usable(DataFile(outDir, voices[index].file))) {
                done[index] = true;
                ++spoken;
            }
        };
        for (size_t i = 0; i < voices.size(); ++i) {
            const std::filesystem::path file = DataFile(outDir, voices[i].file);
            std::error_code ignored;
            std::filesystem::create_directories(file.parent_path(), ignored);
            const pid_t pid = StartSpeaking(speaker, file, voices[i].speech);
            if (pid > 0) running.emplace_back(pid, i);
            if (running.size() >= kAtOnce) reap();
        }
        while (!running.empty()) reap();
    }
    for (size_t i = 0; i < voices.size(); ++i) {
        if (done[i]) continue;
        if (!WriteWave(DataFile(outDir, voices[i].file), Tones(voices[i].speech))) {
            error = voices[i].file;
            return false;
        }
    }
    return true;
}

}  // namespace kelvaron::demo
