#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "common/data_path.h"
#include "common/text_decoding.h"

namespace kelvaron {

namespace {

// Far beyond any line or train file, small enough to hold in memory at once.
constexpr off_t kMaxTextFileBytes = 16 * 1024 * 1024;

// UTF-16 text decodes as Shift-JIS into lines that match no header, so such a
// file would read as one without any section. It is known by its byte-order
// mark, or by the zero byte beside every ASCII character.
bool IsUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    const std::string_view head = bytes.substr(0, 256);
    const auto zeros = std::count(head.begin(), head.end(), '\0');
    return head.size() >= 4 && zeros * 4 >= static_cast<std::ptrdiff_t>(head.size());
}

}  // namespace

bool TextFile::Open(const std::filesystem::path& path, std::string* error) {
    auto fail = [&](std::string_view why) {
        if (error) *error = std::string(why);
        return false;
    };
    // Opened without waiting, so that a pipe or a device named like a data
    // file is refused instead of blocking the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return fail(std::strerror(EISDIR));
    if (!S_ISREG(info.st_mode)) return fail(kNotARegularFile);
    if (info.st_size > kMaxTextFileBytes) return fail(kTextFileTooLarge);

    std::string bytes(static_cast<size_t>(info.st_size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(std::strerror(errno));
        if (n == 0) break;  // the file shrank while being read
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    if (IsUtf16(bytes)) return fail(kUtf16Text);
    SetText(bytes);
    return true;
}

bool TextFile::OpenData(const std::filesystem::path& dataDir, std::string_view name,
                        std::string* error) {
    const DataFile file = ResolveDataPath(dataDir, name);
    if (!file.Refused()) return Open(file.path, error);
    if (error) *error = file.refusal;
    return false;
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
