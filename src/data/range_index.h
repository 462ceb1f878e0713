#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
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
//
// The ends of the ranges cut the line into pieces within which the same
// records act; each piece's records are found once, when the index is built,
// so a lookup is one binary search. Tables are a few hundred records at most.
template <typename Position>
class RangeIndex {
  public:
    struct Range {
        Position first;
        Position last;  // the range is empty when last < first
    };

    RangeIndex() = default;

    explicit RangeIndex(const std::vector<Range>& ranges) : size_(ranges.size()) {
        struct Edge {
            Position at;
            bool opens;
            uint32_t record;
        };
        std::vector<Edge> edges;
        edges.reserve(2 * ranges.size());
        for (size_t i = 0; i < ranges.size(); ++i) {
            Range r = ranges[i];
            if (Unordered(r.first) || Unordered(r.last)) r = {Lowest(), Highest()};
            if (r.last < r.first) continue;
            const auto record = static_cast<uint32_t>(i);
            edges.push_back({r.first, true, record});
            if (r.last < Highest()) edges.push_back({After(r.last), false, record});
        }
        std::sort(edges.begin(), edges.end(),
                  [](const Edge& a, const Edge& b) { return a.at < b.at; });

        std::vector<uint32_t> open;  // in table order
        for (size_t e = 0; e < edges.size();) {
            const Position at = edges[e].at;
            for (; e < edges.size() && !(at < edges[e].at); ++e) {
                const auto place = std::lower_bound(open.begin(), open.end(), edges[e].record);
                if (edges[e].opens) {
                    open.insert(place, edges[e].record);
                } else {
                    open.erase(place);
                }
            }
            Piece piece{at, static_cast<uint32_t>(records_.size()), kEvery};
            if (open.size() <= RecordSet::kCapacity) {
                piece.count = static_cast<uint32_t>(open.size());
                records_.insert(records_.end(), open.begin(), open.end());
            }
            pieces_.push_back(piece);
        }
    }

    // Number of records the index was built for: a table of another size has
    // changed since, and is looked up whole.
    size_t Size() const { return size_; }

    // The records of a table of `tableSize` records whose range holds `at`.
    // A table of a few records is cheaper to go through whole.
    RecordSet At(Position at, size_t tableSize) const {
        if (tableSize != size_ || tableSize <= kWholeTable || Unordered(at)) {
            return RecordSet::Every();
        }
        const auto next =
            std::upper_bound(pieces_.begin(), pieces_.end(), at,
                             [](Position p, const Piece& piece) { return p < piece.start; });
        RecordSet found;
        if (next == pieces_.begin()) return found;  // before every range
        const Piece& piece = *std::prev(next);
        if (piece.count == kEvery) return RecordSet::Every();
        for (uint32_t k = 0; k < piece.count; ++k) found.Add(records_[piece.begin + k]);
        return found;
    }

  private:
    static constexpr size_t kWholeTable = 8;
    static constexpr uint32_t kEvery = std::numeric_limits<uint32_t>::max();

    // From `start` up to the next piece's start, the records
    // records_[begin, begin + count) act, in table order; more than a record
    // set holds is every record.
    struct Piece {
        Position start;
        uint32_t begin;
        uint32_t count;
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
    // The first position past `p` (below the highest).
    static Position After(Position p) {
        if constexpr (std::is_floating_point_v<Position>) {
            return std::nextafter(p, Highest());
        } else {
            return p + 1;
        }
    }

    size_t size_ = 0;
    std::vector<Piece> pieces_;  // by start
    std::vector<uint32_t> records_;
};

}  // namespace kelvaron
