#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaron {

enum class TextEncoding { ShiftJis, Utf8 };

// The text of a line definition file as its author wrote it: decoded lines for
// reading and editing, and for every line not yet touched the bytes it had, so
// that saving an unchanged file gives back the very same bytes (comments, blank
// lines, line ends, odd characters and all).
class LineDocument {
  public:
    struct Line {
        std::string text;                // UTF-8, without the line end
        std::optional<std::string> raw;  // the bytes as read; none once edited
        std::string eol;                 // "\r\n", "\n", or "" on a last line without one
    };

    // Decodes as the line reader does: valid UTF-8 is UTF-8, anything else Shift-JIS.
    static LineDocument FromBytes(std::string_view bytes);
    // A new, empty file that will be written with CR LF line ends.
    static LineDocument Empty(TextEncoding encoding);

    // The bytes to save in `encoding`. Empty with a reason in `error` when the
    // text would not read back as it stands (a character Shift-JIS lacks, or
    // Shift-JIS bytes that would be taken for UTF-8); nothing is then written.
    std::optional<std::string> ToBytes(TextEncoding encoding, std::string& error) const;

    TextEncoding Encoding() const { return encoding_; }
    const std::vector<std::string>& Texts() const { return texts_; }
    size_t Size() const { return lines_.size(); }

    // Replaces `count` lines at `at` with `lines`; returns the lines removed, so
    // that putting them back restores the bytes they had.
    std::vector<Line> Splice(size_t at, size_t count, std::vector<Line> lines);
    // A new line in the file's line-end style.
    Line MakeLine(std::string text) const;

  private:
    std::vector<Line> lines_;
    std::vector<std::string> texts_;  // lines_[i].text, kept apart for the line reader
    TextEncoding encoding_ = TextEncoding::ShiftJis;
    bool utf8Bom_ = false;
    std::string defaultEol_ = "\r\n";
};

}  // namespace kelvaron
