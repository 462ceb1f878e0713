#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvaron::fuzz {

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Le(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One second of a 440 Hz square wave, 8-bit mono at 8 kHz.
std::string ShortWave() {
    constexpr uint32_t kRate = 8000;
    std::string wave = "RIFF";
    Le(wave, 36 + kRate, 4);
    wave += "WAVEfmt ";
    Le(wave, 16, 4);
    Le(wave, 1, 2);  // PCM
    Le(wave, 1, 2);  // mono
    Le(wave, kRate, 4);
    Le(wave, kRate, 4);
    Le(wave, 1, 2);
    Le(wave, 8, 2);
    wave += "data";
    Le(wave, kRate, 4);
    for (uint32_t i = 0; i < kRate; ++i) wave += static_cast<char>((i / 9) % 2 ? 0xC0 : 0x40);
    return wave;
}

fs::path MakeDataFolder() {
    const fs::path dir =
        fs::temp_directory_path() / ("kelvaron-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::copy(KELVARON_FIXTURES, dir, fs::copy_options::recursive);
    fs::create_directories(dir / "movie");
    fs::create_directories(dir / "sound");
    Write(dir / "sound" / "short.wav", ShortWave());
    Write(dir / "line_melody.wav", ShortWave());
    fs::copy_file(KELVARON_FUZZ_SEEDS "/picture/rle8_5790x5790.bmp", dir / "huge.bmp");
    ::mkfifo((dir / "pipe.wav").c_str(), 0600);
    ::mkfifo((dir / "pipe.bmp").c_str(), 0600);
    std::atexit([] { fs::remove_all(DataFolder()); });
    return dir;
}

}  // namespace

const fs::path& DataFolder() {
    static const fs::path dir = MakeDataFolder();
    return dir;
}

fs::path WriteInput(std::string_view name, const uint8_t* data, size_t size) {
    const fs::path path = DataFolder() / name;
    Write(path, std::string_view(reinterpret_cast<const char*>(data), size));
    return path;
}

}  // namespace kelvaron::fuzz
