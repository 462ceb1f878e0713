#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/controller_file_reader.h"

namespace kelvaron {

// Longest code the serial master controller sends; a longer line of the code
// table never matches.
constexpr size_t kMasconKeyLength = 5;
// Lines of the code table that mean something; the rest never act.
constexpr int kMasconMeaningfulLines = 22;

// One piece taken out of the received bytes: a complete code of the table, or
// bytes that begin no code (line noise, or a code whose rest never came).
struct SerialPiece {
    enum class Kind { Code, Noise };
    Kind kind = Kind::Code;
    std::string text;

    bool operator==(const SerialPiece&) const = default;
};

// Cuts the serial master controller's byte stream into codes. A driver hands
// over bytes in whatever chunks it likes (a code split in two, several codes
// at once, line endings after each), so the bytes are buffered and codes are
// taken from the front of the buffer, the longest that matches first.
class SerialFramer {
  public:
    // How long the start of a code waits for the rest of its bytes.
    static constexpr int64_t kPartialWaitMs = 100;

    // `codes` is read at each call, never copied: it is the run's table.
    explicit SerialFramer(const MasconCodes& codes) : codes_(codes) {}

    // Adds bytes received at `nowMs` and returns what they completed, in order.
    std::vector<SerialPiece> Receive(std::string_view bytes, int64_t nowMs);
    // Gives up waiting for the rest of a code once its time is over.
    std::vector<SerialPiece> Expire(int64_t nowMs);
    // When the bytes now waiting are given up; empty when none wait.
    std::optional<int64_t> Deadline() const;

  private:
    std::vector<SerialPiece> Frame(int64_t nowMs);

    const MasconCodes& codes_;
    std::string pending_;
    std::vector<int64_t> arrivedMs_;  // one per byte of pending_
};

}  // namespace kelvaron
