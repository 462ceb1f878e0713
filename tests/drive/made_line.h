#pragma once

#include <filesystem>
#include <string>

#include "data_text.h"
#include "platform/ffmpeg/video_writer.h"
#include "test_support.h"

namespace kelvaron::test {

// A fixture file to rewrite.
inline DataText Fixture(const std::string& name) {
    return DataText(FixtureDir() / "fixtures" / name);
}

// A copy of the fixture folder with a 6000-frame cab video for the fixture
// line's name: the folder test lines and trains are written into.
inline std::filesystem::path MadeDataFolder() {
    const std::filesystem::path dir = MakeTempDir() / "data";
    std::filesystem::copy(FixtureDir() / "fixtures", dir, std::filesystem::copy_options::recursive);
    VideoSettings video;
    video.width = 32;
    video.height = 16;
    WriteTestVideo(dir / "movie" / "line_basic.avi", video, 6000, [](int32_t, Picture&) {});
    return dir;
}

}  // namespace kelvaron::test
