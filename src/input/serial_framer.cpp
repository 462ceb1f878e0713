#include "input/serial_framer.h"

#include <algorithm>

namespace kelvaron {

namespace {

void AddNoise(std::vector<SerialPiece>& pieces, char byte) {
    if (pieces.empty() || pieces.back().kind != SerialPiece::Kind::Noise) {
        pieces.push_back({SerialPiece::Kind::Noise, {}});
    }
    pieces.back().text += byte;
}

}  // namespace

std::vector<SerialPiece> SerialFramer::Receive(std::string_view bytes, int64_t nowMs) {
    pending_.append(bytes);
    arrivedMs_.insert(arrivedMs_.end(), bytes.size(), nowMs);
    return Frame(nowMs);
}

std::vector<SerialPiece> SerialFramer::Expire(int64_t nowMs) {
    return Frame(nowMs);
}

std::optional<int64_t> SerialFramer::Deadline() const {
    if (pending_.empty()) return std::nullopt;
    return arrivedMs_.front() + kPartialWaitMs;
}

std::vector<SerialPiece> SerialFramer::Frame(int64_t nowMs) {
    std::vector<SerialPiece> pieces;
    size_t pos = 0;
    while (pos < pending_.size()) {
        const char byte = pending_[pos];
        // Adapters end codes with CR, LF or both; none of them is a code.
        if (byte == '\r' || byte == '\n') {
            ++pos;
            continue;
        }
        const std::string_view rest = std::string_view(pending_).substr(pos);
        size_t longest = 0;
        bool mayGrow = false;
        for (int line = 0; line < kMasconMeaningfulLines; ++line) {
            const std::string& code = codes_[static_cast<size_t>(line)];
            if (code.empty() || code.size() > kMasconKeyLength) continue;
            if (rest.starts_with(code)) {
                longest = std::max(longest, code.size());
            } else if (code.size() > rest.size() && code.starts_with(rest)) {
                mayGrow = true;
            }
        }
        // What is here could still become a (longer) code: wait for the rest,
        // but not for ever, or one lost byte would swallow the next code.
        if (mayGrow && nowMs - arrivedMs_[pos] < kPartialWaitMs) break;
        if (longest > 0) {
            pieces.push_back({SerialPiece::Kind::Code, std::string(rest.substr(0, longest))});
            pos += longest;
        } else {
            // Dropping one byte at a time finds a code that starts inside the noise.
            AddNoise(pieces, byte);
            ++pos;
        }
    }
    pending_.erase(0, pos);
    arrivedMs_.erase(arrivedMs_.begin(), arrivedMs_.begin() + static_cast<ptrdiff_t>(pos));
    return pieces;
}

}  // namespace kelvaron
