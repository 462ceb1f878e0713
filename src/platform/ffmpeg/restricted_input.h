#pragma once

#include <chrono>
#include <string>

struct AVFormatContext;

namespace kelvaron {

// Opening, probing and a duration scan together may take this long; a file
// that needs longer is refused rather than hold up start-up.
constexpr std::chrono::milliseconds kOpenTimeLimit{10000};

// When FFmpeg's blocking calls on one file give up.
struct Deadline {
    std::chrono::steady_clock::time_point end;
    static int Passed(void* self) {
        return std::chrono::steady_clock::now() > static_cast<Deadline*>(self)->end ? 1 : 0;
    }
};

// Media files come with data folders from strangers. Opens `file` as a local
// regular file read only by the demuxers of video containers (no network, no
// other file a playlist or a concatenation list names), its blocking calls
// interrupted at `deadline`, which must outlive the context. False when it
// may not be opened; the context is then null. The file's reader keeps its
// own copy of the callback: to let reading go on past the deadline, move the
// deadline, do not clear the context's callback.
bool OpenRestrictedInput(AVFormatContext*& format, const std::string& file, Deadline& deadline);

}  // namespace kelvaron
