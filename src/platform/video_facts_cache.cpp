#include "platform/video_facts_cache.h"

#include <unistd.h>

#include <charconv>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/user_folders.h"

namespace kelvaron {

namespace {

// Enough for every line a player keeps; older entries make way.
constexpr size_t kMaxEntries = 200;
constexpr std::uintmax_t kMaxFileBytes = 256 * 1024;

// One line of the file: "frames fps size mtime path", the frame rate in
// hexadecimal so that it reads back bit for bit.
struct Entry {
    VideoFacts facts;
    std::uintmax_t size = 0;
    int64_t modified = 0;
    std::string path;
};

std::optional<Entry> Identify(const std::filesystem::path& video) {
    std::error_code ec;
    Entry e;
    const auto absolute = std::filesystem::absolute(video, ec);
    if (ec) return std::nullopt;
    e.size = std::filesystem::file_size(absolute, ec);
    if (ec) return std::nullopt;
    const auto time = std::filesystem::last_write_time(absolute, ec);
    if (ec) return std::nullopt;
    e.modified = static_cast<int64_t>(time.time_since_epoch().count());
    e.path = absolute.string();
    if (e.path.find('\n') != std::string::npos) return std::nullopt;
    return e;
}

// The next space-separated field of `rest`, read by `parse`; false when there is none.
template <typename Parse>
bool TakeField(std::string_view& rest, Parse parse) {
    const size_t end = rest.find(' ');
    if (end == std::string_view::npos || !parse(rest.data(), rest.data() + end)) return false;
    rest.remove_prefix(end + 1);
    return true;
}

std::optional<Entry> Parse(std::string_view line) {
    Entry e;
    const auto number = [](auto& into) {
        return [&into](const char* b, const char* end) {
            return std::from_chars(b, end, into).ptr == end;
        };
    };
    const auto rate = [&e](const char* b, const char* end) {
        return std::from_chars(b, end, e.facts.framesPerSecond, std::chars_format::hex).ptr == end;
    };
    if (!TakeField(line, number(e.facts.frameCount)) || !TakeField(line, rate) ||
        !TakeField(line, number(e.size)) || !TakeField(line, number(e.modified)) || line.empty() ||
        e.facts.frameCount < 0 || !(e.facts.framesPerSecond > 0)) {
        return std::nullopt;
    }
    e.path = line;
    return e;
}

std::vector<Entry> ReadEntries(const std::filesystem::path& file) {
    std::vector<Entry> entries;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return entries;
    const auto bytes = std::filesystem::file_size(file, ec);
    if (ec || bytes > kMaxFileBytes) return entries;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (auto e = Parse(line)) entries.push_back(std::move(*e));
    }
    return entries;
}

}  // namespace

VideoFactsCache::VideoFactsCache()
    : file_(UserFolder("XDG_CACHE_HOME", ".cache") / "kelvaron" / "videos.txt") {}

VideoFactsCache::VideoFactsCache(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<VideoFacts> VideoFactsCache::Find(const std::filesystem::path& video) const {
    const auto wanted = Identify(video);
    if (!wanted) return std::nullopt;
    for (const Entry& e : ReadEntries(file_)) {
        if (e.path == wanted->path && e.size == wanted->size && e.modified == wanted->modified) {
            return e.facts;
        }
    }
    return std::nullopt;
}

void VideoFactsCache::Remember(const std::filesystem::path& video, const VideoFacts& facts) const {
    auto entry = Identify(video);
    if (!entry || facts.frameCount < 0 || !(facts.framesPerSecond > 0)) return;
    entry->facts = facts;
    std::vector<Entry> entries = ReadEntries(file_);
    // An earlier state of the same video is gone for good.
    std::erase_if(entries, [&](const Entry& e) { return e.path == entry->path; });
    if (entries.size() >= kMaxEntries) {
        entries.erase(entries.begin(), entries.end() - static_cast<long>(kMaxEntries - 1));
    }
    entries.push_back(std::move(*entry));

    // Written beside and renamed, so a run reading at the same time never sees half a file.
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    const std::string temporary = file_.string() + "." + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const Entry& e : entries) {
            char rate[64];
            const auto written = std::to_chars(rate, rate + sizeof rate, e.facts.framesPerSecond,
                                               std::chars_format::hex);
            out << e.facts.frameCount << ' ' << std::string_view(rate, written.ptr) << ' ' << e.size
                << ' ' << e.modified << ' ' << e.path << '\n';
        }
        if (!out) {
            std::filesystem::remove(temporary, ec);
            return;
        }
    }
    std::filesystem::rename(temporary, file_, ec);
    if (ec) std::filesystem::remove(temporary, ec);
}

}  // namespace kelvaron
