#include "data/range_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace kelvaron {
namespace {

std::vector<size_t> Visited(const RecordSet& set, size_t tableSize) {
    std::vector<size_t> visited;
    set.ForEach(tableSize, [&](size_t i) { visited.push_back(i); });
    return visited;
}

template <typename Position>
std::vector<size_t> Holding(const std::vector<typename RangeIndex<Position>::Range>& ranges,
                            Position at) {
    std::vector<size_t> holding;
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].first <= at && at <= ranges[i].last) holding.push_back(i);
    }
    return holding;
}

// Random tables of short, long, empty and nested ranges in any order: every
// lookup gives exactly the records whose range holds the position, in table
// order, or every record once more than a lookup can hold do.
template <typename Position>
void CheckAgainstEveryRecord(std::mt19937& random, int tables, Position scale = 1) {
    using Range = typename RangeIndex<Position>::Range;
    for (int table = 0; table < tables; ++table) {
        const size_t size = 9 + random() % 300;
        std::vector<Range> ranges;
        for (size_t i = 0; i < size; ++i) {
            const auto first = static_cast<Position>(static_cast<int>(random() % 2000) - 500);
            const int kind = static_cast<int>(random() % 10);
            const Position length = kind == 0   ? -static_cast<Position>(random() % 20)  // empty
                                    : kind == 1 ? static_cast<Position>(random() % 3000)
                                                : static_cast<Position>(random() % 40);
            ranges.push_back({first * scale, (first + length) * scale});
        }
        const RangeIndex<Position> index(ranges);
        for (int q = -600; q <= 2600; q += 7) {
            const auto at = static_cast<Position>(q) * scale;
            const std::vector<size_t> expected = Holding<Position>(ranges, at);
            const RecordSet found = index.At(at, size);
            if (expected.size() > RecordSet::kCapacity) {
                EXPECT_TRUE(found.IsEvery());
                continue;
            }
            ASSERT_FALSE(found.IsEvery()) << "table " << table << " at " << q;
            EXPECT_EQ(Visited(found, size), expected) << "table " << table << " at " << q;
        }
    }
}

TEST(RangeIndex, FindsExactlyTheRecordsWhoseRangeHoldsThePosition) {
    std::mt19937 random(20261208);
    CheckAgainstEveryRecord<int64_t>(random, 40);
    CheckAgainstEveryRecord<double>(random, 40);
    // Spread over most of the 64-bit range.
    CheckAgainstEveryRecord<int64_t>(random, 10, int64_t{1} << 50);
}

TEST(RangeIndex, LooksAtEveryRecordWhenItCannotNarrowTheTableDown) {
    using Range = RangeIndex<double>::Range;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<Range> ranges(20, Range{0, 10});
    ranges[3] = {100, 110};
    ranges[7] = {nan, 5};  // a range that cannot be compared holds every position
    const RangeIndex<double> index(ranges);

    EXPECT_EQ(Visited(index.At(105, 20), 20), (std::vector<size_t>{3, 7}));
    // A position that is not a number, a table that has changed size since,
    // or one small enough to go through whole.
    EXPECT_TRUE(index.At(nan, 20).IsEvery());
    EXPECT_TRUE(index.At(105, 21).IsEvery());
    EXPECT_TRUE(RangeIndex<double>(std::vector<Range>(5, Range{0, 1})).At(50, 5).IsEvery());
    EXPECT_TRUE(RangeIndex<double>().At(50, 1).IsEvery());
    // Every record is those of the table the caller goes through.
    EXPECT_EQ(Visited(RecordSet::Every(), 3), (std::vector<size_t>{0, 1, 2}));
}

TEST(RecordSet, UnionKeepsTableOrderAndEachRecordOnce) {
    RecordSet a, b;
    for (uint32_t r : {9u, 2u, 5u}) a.Add(r);
    a.Sort();
    for (uint32_t r : {5u, 1u, 40u}) b.Add(r);
    b.Sort();
    // Records past the table's end are never visited.
    EXPECT_EQ(Visited(RecordSet::Union(a, b), 10), (std::vector<size_t>{1, 2, 5, 9}));
    EXPECT_TRUE(RecordSet::Union(a, RecordSet::Every()).IsEvery());

    RecordSet full;
    for (uint32_t r = 0; r <= RecordSet::kCapacity; ++r) full.Add(r);
    EXPECT_TRUE(full.IsEvery());
}

}  // namespace
}  // namespace kelvaron
