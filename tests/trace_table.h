#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kelvaron::test {

inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

// The runner's CSV trace, one row per event, columns looked up by their header names.
class Trace {
  public:
    explicit Trace(const std::string& csv) {
        std::vector<std::string> lines = Split(csv, '\n');
        if (lines.empty()) return;
        header = lines[0];
        std::vector<std::string> names = Split(header, ',');
        for (size_t i = 0; i < names.size(); ++i) column_[names[i]] = i;
        for (size_t i = 1; i < lines.size(); ++i) {
            std::vector<std::string> cells = Split(lines[i], ',');
            cells.resize(names.size());  // a short row reads as empty cells, not out of range
            rows.push_back(std::move(cells));
        }
    }

    std::string Text(size_t row, const std::string& name) const {
        return rows.at(row).at(column_.at(name));
    }
    int64_t Int(size_t row, const std::string& name) const { return std::stoll(Text(row, name)); }
    long double Real(size_t row, const std::string& name) const {
        return std::stold(Text(row, name));
    }

    // Rows of one event kind ("refresh" or "tick"), in order.
    std::vector<size_t> Of(const std::string& event) const {
        std::vector<size_t> found;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (Text(i, "event") == event) found.push_back(i);
        }
        return found;
    }

    // The refresh row written at `tMs`; fails the test when there is none.
    size_t RefreshAt(int64_t tMs) const {
        for (size_t i : Of("refresh")) {
            if (Int(i, "t_ms") == tMs) return i;
        }
        ADD_FAILURE() << "no refresh row at " << tMs << " ms";
        return 0;
    }

    // The first refresh row for which `pred` holds.
    std::optional<size_t> FirstRefresh(const std::function<bool(size_t)>& pred) const {
        for (size_t i : Of("refresh")) {
            if (pred(i)) return i;
        }
        return std::nullopt;
    }

    // The values one column takes over the refresh rows, repeats removed.
    std::vector<int64_t> Changes(const std::string& name) const {
        std::vector<int64_t> values;
        for (size_t i : Of("refresh")) {
            int64_t v = Int(i, name);
            if (values.empty() || values.back() != v) values.push_back(v);
        }
        return values;
    }

    std::string header;
    std::vector<std::vector<std::string>> rows;

  private:
    std::map<std::string, size_t> column_;
};

}  // namespace kelvaron::test
