#include "studio/line_document.h"

#include <utility>

#include "common/common_util.h"
#include "common/text_decoding.h"

namespace kelvaron {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Splits as the line reader does: at LF, a CR before it belonging to the line end.
struct SplitLine {
    std::string_view body;
    std::string_view eol;
};
std::vector<SplitLine> Split(std::string_view text) {
    std::vector<SplitLine> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t stop = end == std::string_view::npos ? text.size() : end;
        std::string_view body = text.substr(start, stop - start);
        std::string_view eol = end == std::string_view::npos ? "" : "\n";
        if (!body.empty() && body.back() == '\r') {
            body.remove_suffix(1);
            eol = end == std::string_view::npos ? "\r" : "\r\n";
        }
        lines.push_back({body, eol});
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

LineDocument LineDocument::FromBytes(std::string_view bytes) {
    LineDocument doc;
    if (bytes.starts_with(kUtf8Bom)) {
        doc.utf8Bom_ = true;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    doc.encoding_ = IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
    const std::string decoded = DecodeToUtf8(bytes);
    const auto raw = Split(bytes);
    const auto text = Split(decoded);
    // Decoding never makes or swallows a line feed, but should it, the lines are
    // kept as read and only their bytes are forgotten.
    const bool rawMatches = raw.size() == text.size();
    for (size_t i = 0; i < text.size(); ++i) {
        Line line{.text = std::string(text[i].body),
                  .raw = std::nullopt,
                  .eol = std::string(text[i].eol)};
        if (rawMatches) line.raw = std::string(raw[i].body);
        doc.lines_.push_back(std::move(line));
        doc.texts_.push_back(std::string(text[i].body));
    }
    if (!doc.lines_.empty() && !doc.lines_.front().eol.empty()) {
        doc.defaultEol_ = doc.lines_.front().eol == "\r" ? "\r\n" : doc.lines_.front().eol;
    }
    return doc;
}

LineDocument LineDocument::Empty(TextEncoding encoding) {
    LineDocument doc;
    doc.encoding_ = encoding;
    return doc;
}

LineDocument::Line LineDocument::MakeLine(std::string text) const {
    return {.text = std::move(text), .raw = std::nullopt, .eol = defaultEol_};
}

std::vector<LineDocument::Line> LineDocument::Splice(size_t at, size_t count,
                                                     std::vector<Line> lines) {
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(at);
    std::vector<Line> removed(std::make_move_iterator(first),
                              std::make_move_iterator(first + static_cast<std::ptrdiff_t>(count)));
    lines_.erase(first, first + static_cast<std::ptrdiff_t>(count));
    // A line that ended the file without a line end gets one once something follows it.
    if (at > 0 && at == lines_.size() && !lines.empty() && lines_[at - 1].eol.empty()) {
        lines_[at - 1].eol = defaultEol_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    texts_.clear();
    texts_.reserve(lines_.size());
    for (const Line& line : lines_) texts_.push_back(line.text);
    return removed;
}

std::optional<std::string> LineDocument::ToBytes(TextEncoding encoding, std::string& error) const {
    std::string bytes;
    if (encoding == TextEncoding::Utf8 && utf8Bom_) bytes += kUtf8Bom;
    for (const Line& line : lines_) {
        if (line.raw && encoding == encoding_) {
            bytes += *line.raw;
        } else {
            bytes += encoding == TextEncoding::Utf8 ? line.text : EncodeCp932(line.text);
        }
        bytes += line.eol;
    }
    // What the reader will make of these bytes must be the text being saved.
    const std::string readBack = DecodeToUtf8(bytes);
    const auto lines = Split(readBack);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i < lines.size() && lines[i].body == lines_[i].text) continue;
        error = "line " + ToDecimal(static_cast<int64_t>(i) + 1) + " would read back as \"" +
                (i < lines.size() ? std::string(lines[i].body) : std::string()) + "\" in " +
                (encoding == TextEncoding::Utf8 ? "UTF-8" : "Shift-JIS") +
                "; save it in the other encoding or change the text";
        return std::nullopt;
    }
    return bytes;
}

}  // namespace kelvaron
