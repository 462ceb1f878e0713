#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron {

// Why a data file is not read, beyond the system's own reasons.
inline constexpr std::string_view kTextFileTooLarge =
    "larger than 16 MB, too large for a data file";
inline constexpr std::string_view kUtf16Text =
    "written in UTF-16, which is not read: save it as Shift-JIS or UTF-8";

// A data file read whole and split into decoded lines, read one by one as the
// readers of the data files expect: a line ends at LF or CR LF, and reading
// past the end gives empty lines (so a value that is missing at the end of a
// file fails to convert, as it does for a truncated file).
class TextFile {
  public:
    // Opens and decodes the file; false (with the reason in `error`) when it
    // cannot be read, is not a regular file, is too large, or is UTF-16.
    bool Open(const std::filesystem::path& path, std::string* error = nullptr);
    // Opens the file a name written in a data file leads to inside `dataDir`
    // (ResolveDataPath); false with the refusal or the reason in `error`.
    bool OpenData(const std::filesystem::path& dataDir, std::string_view name,
                  std::string* error = nullptr);

    // Builds the reader over text already in memory (tests, generated data).
    void SetText(std::string_view bytes);
    // Builds the reader over lines already decoded (an editor's lines).
    void SetLines(std::vector<std::string> lines);

    bool Eof() const { return next_ >= lines_.size(); }
    std::string ReadLine();

    // Lines read beyond the end of the file; a list that never finds its end
    // marker is detected by this rather than by looping for ever.
    int ReadsPastEnd() const { return readsPastEnd_; }

    // 1-based number of the line last read (0 before the first).
    size_t LineNumber() const { return next_; }

  private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
    int readsPastEnd_ = 0;
};

}  // namespace kelvaron
