#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

namespace kelvaron {

// Record numbers of a table, in table order: the few a lookup found, or every
// record when it could not narrow the table down.
class RecordSet {
  public:
    static constexpr size_t kCapacity = 32;

    static RecordSet Every() {
        RecordSet set;
        set.every_ = true;
        return set;
    }

    bool IsEvery() const { return every_; }

    // Adds a record; past the capacity the set becomes every record.
    void Add(uint32_t record) {
        if (every_) return;
        if (count_ == kCapacity) {
            every_ = true;
            return;
        }
        records_[count_++] = record;
    }

    // Into table order, each record once. A lookup finds a handful at most,
    // so sorting by insertion is the quickest.
    void Sort() {
        size_t kept = 0;
        for (size_t i = 0; i < count_; ++i) {
            const uint32_t record = records_[i];
            size_t at = kept;
            while (at > 0 && records_[at - 1] > record) --at;
            if (at > 0 && records_[at - 1] == record) continue;
            for (size_t k = kept; k > at; --k) records_[k] = records_[k - 1];
            records_[at] = record;
            ++kept;
        }
        count_ = kept;
    }

    // Both sets in table order, each record once.
    static RecordSet Union(const RecordSet& a, const RecordSet& b) {
        if (a.every_ || b.every_) return Every();
        RecordSet both;
        for (size_t i = 0; i < a.count_; ++i) both.Add(a.records_[i]);
        for (size_t i = 0; i < b.count_; ++i) both.Add(b.records_[i]);
        both.Sort();
        return both;
    }

    // Calls visit(i) for each record in table order; every record is each of
    // 0 .. tableSize - 1. Records at or past tableSize are never visited.
    template <typename Visit>
    void ForEach(size_t tableSize, Visit&& visit) const {
        if (every_) {
            for (size_t i = 0; i < tableSize; ++i) visit(i);
            return;
        }
        for (size_t k = 0; k < count_; ++k) {
            if (records_[k] < tableSize) visit(static_cast<size_t>(records_[k]));
        }
    }

  private:
    // Only the first count_ are ever read; left unset, a lookup need not
    // clear the whole array.
    std::array<uint32_t, kCapacity> records_;
    size_t count_ = 0;
    bool every_ = false;
};

// Finds the records of a table that may act at a position along the line
// (a frame, or a distance) without looking at the others. Each record is
// given the closed range of positions outside which it certainly does
// nothing; a lookup returns the records whose range holds the position, so
// the caller still tests its own conditions on each and the outcome is that
// of going through the whole table. A range whose ends cannot be compared
// (not a number) holds every position.
template <typename Position>
class RangeIndex {
  public:
    struct Range {
        Position first;
        Position last;  // the range is empty when last < first
    };

    RangeIndex() = default;

    explicit RangeIndex(std::vector<Range> ranges) : ranges_(std::move(ranges)) {
        for (Range& r : ranges_) {
            if (Unordered(r.first) || Unordered(r.last)) r = {Lowest(), Highest()};
        }
        std::vector<uint32_t> order;
        order.reserve(ranges_.size());
        for (size_t i = 0; i < ranges_.size(); ++i) {
            if (!(ranges_[i].last < ranges_[i].first)) order.push_back(static_cast<uint32_t>(i));
        }
        std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
            return ranges_[a].first < ranges_[b].first;
        });
        byFirst_.reserve(order.size());
        Position reach = Lowest();
        for (uint32_t i : order) {
            reach = std::max(reach, ranges_[i].last);
            byFirst_.push_back({ranges_[i].first, reach, i});
        }
    }

    // Number of records the index was built for: a table of another size has
    // changed since, and is looked up whole.
    size_t Size() const { return ranges_.size(); }

    // The records of a table of `tableSize` records whose range holds `at`.
    // A table of a few records is cheaper to go through whole.
    RecordSet At(Position at, size_t tableSize) const {
        if (tableSize != ranges_.size() || tableSize <= kWholeTable || Unordered(at)) {
            return RecordSet::Every();
        }
        // Ranges starting at or before `at`, walked back while one of them
        // may still reach it.
        auto end = std::upper_bound(byFirst_.begin(), byFirst_.end(), at,
                                    [](Position p, const Entry& e) { return p < e.first; });
        RecordSet found;
        for (auto it = end; it != byFirst_.begin();) {
            --it;
            if (it->reach < at) break;
            if (!(ranges_[it->record].last < at)) found.Add(it->record);
            if (found.IsEvery()) break;
        }
        found.Sort();
        return found;
    }

  private:
    static constexpr size_t kWholeTable = 8;

    struct Entry {
        Position first;
        Position reach;  // the furthest last of this range and all before it
        uint32_t record;
    };

    static bool Unordered(Position p) {
        if constexpr (std::is_floating_point_v<Position>) {
            return std::isnan(p);
        } else {
            return false;
        }
    }
    static Position Lowest() { return std::numeric_limits<Position>::lowest(); }
    static Position Highest() { return std::numeric_limits<Position>::max(); }

    std::vector<Range> ranges_;
    std::vector<Entry> byFirst_;  // non-empty ranges by their first position
};

}  // namespace kelvaron
