#include "common/text_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "common/text_decoding.h"

namespace kelvaron {

bool TextFile::Open(const std::filesystem::path& path, std::string* error) {
    // A folder opens as an empty stream: it must not read as an empty file.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        if (error) *error = std::strerror(EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    SetText(contents.str());
    return true;
}

void TextFile::SetText(std::string_view bytes) {
    lines_.clear();
    next_ = 0;
    readsPastEnd_ = 0;
    // The encoding is decided for the whole file: a Shift-JIS line can happen to
    // be valid UTF-8 on its own.
    std::string decoded = DecodeToUtf8(bytes);
    std::string_view text(decoded);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t stop = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.emplace_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

void TextFile::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    next_ = 0;
    readsPastEnd_ = 0;
}

std::string TextFile::ReadLine() {
    if (next_ >= lines_.size()) {
        ++readsPastEnd_;
        return {};
    }
    return lines_[next_++];
}

}  // namespace kelvaron
