#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/text_decoding.h"

namespace kelvaron::test {

// A data file as UTF-8 text whose sections a test or benchmark rewrites, then
// writes back in Shift-JIS like the data files it stands for.
class DataText {
  public:
    // Line ends are made plain newlines; the readers take either.
    explicit DataText(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + file.string());
        text_ = DecodeToUtf8(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        for (size_t at = text_.find("\r\n"); at != std::string::npos; at = text_.find("\r\n", at)) {
            text_.erase(at, 1);
        }
    }

    // Replaces the lines of a section (everything after its header up to the
    // next header) with `body`, a line each; a section that the file lacks is
    // added at its end.
    DataText& Set(std::string_view header, std::string_view body) {
        const std::string head = std::string(header) + "\n";
        const size_t at = text_.find(head);
        if (at == std::string::npos) {
            text_ += head + std::string(body) + "\n";
            return *this;
        }
        const size_t from = at + head.size();
        size_t to = text_.find("\n[", from - 1);
        to = to == std::string::npos ? text_.size() : to + 1;
        text_.replace(from, to - from, std::string(body) + "\n");
        return *this;
    }

    void WriteTo(const std::filesystem::path& file) const {
        std::ofstream out(file, std::ios::binary);
        const std::string bytes = EncodeCp932(text_);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + file.string());
    }

  private:
    std::string text_;
};

}  // namespace kelvaron::test
