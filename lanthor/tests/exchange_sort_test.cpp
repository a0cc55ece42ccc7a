// The exchange sort's order, its 16-bit positions and how an error leaves the rows.
#include <gtest/gtest.h>

#include <vector>

#include "common/errors.h"
#include "lanthor/utilities/exchange_sort.h"

using lanthor::exchangeSort;

namespace {

struct Row {
    int value;
    char tag;
};

// Sorts rows by value; returns the run-time error number, 0 for none.
int sortRows(std::vector<Row>& rows, int failAtComparison = -1, long* comparisons = nullptr) {
    long count = 0;
    try {
        exchangeSort(
            rows.size(),
            [&](size_t i, size_t j) {
                if (count++ == failAtComparison) frame::raise(frame::errTypeMismatch);
                return rows[i].value > rows[j].value;
            },
            [&](size_t i, size_t j) { std::swap(rows[i], rows[j]); });
    } catch (const frame::RuntimeError& e) {
        if (comparisons) *comparisons = count;
        return e.number();
    }
    if (comparisons) *comparisons = count;
    return 0;
}

std::vector<int> values(const std::vector<Row>& rows) {
    std::vector<int> out;
    for (const Row& r : rows) out.push_back(r.value);
    return out;
}

}  // namespace

TEST(ExchangeSort, SortsAscendingWithEveryPairCompared) {
    std::vector<Row> rows{{3, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}, {0, 'e'}};
    long comparisons = 0;
    EXPECT_EQ(sortRows(rows, -1, &comparisons), 0);
    EXPECT_EQ(values(rows), (std::vector<int>{0, 1, 1, 2, 3}));
    EXPECT_EQ(comparisons, 10);  // n (n - 1) / 2
    // Not stable: of the two 1s, the later one ('d') comes out first here.
    EXPECT_EQ(rows[1].tag, 'd');
    EXPECT_EQ(rows[2].tag, 'b');

    std::vector<Row> none, one{{7, 'x'}};
    EXPECT_EQ(sortRows(none), 0);
    EXPECT_EQ(sortRows(one), 0);
    EXPECT_EQ(one[0].value, 7);
}

TEST(ExchangeSort, AComparisonErrorStopsWhereTheSortIs) {
    std::vector<Row> rows{{3, 'a'}, {2, 'b'}, {1, 'c'}};
    // Pass 0 compares (0,1) -> exchange, (0,2) -> exchange; the third comparison fails.
    EXPECT_EQ(sortRows(rows, 2), frame::errTypeMismatch);
    EXPECT_EQ(values(rows), (std::vector<int>{1, 3, 2}));
}

TEST(ExchangeSort, PositionsAreSixteenBit) {
    // 32 768 rows: the last position fits, the inner counter overflows after the first pass,
    // which has brought the smallest value to the front and left the rest as it went.
    std::vector<Row> rows(32768);
    for (size_t k = 0; k < rows.size(); ++k) rows[k] = {static_cast<int>(rows.size() - k), 'r'};
    long comparisons = 0;
    EXPECT_EQ(sortRows(rows, -1, &comparisons), frame::errOverflow);
    EXPECT_EQ(comparisons, 32767);
    EXPECT_EQ(rows[0].value, 1);
    EXPECT_EQ(rows[1].value, 32768);
    EXPECT_EQ(rows[2].value, 32767);

    // One row more: the last position does not fit, nothing is compared.
    std::vector<Row> more(32769);
    for (size_t k = 0; k < more.size(); ++k) more[k] = {static_cast<int>(more.size() - k), 'r'};
    EXPECT_EQ(sortRows(more, -1, &comparisons), frame::errOverflow);
    EXPECT_EQ(comparisons, 0);
    EXPECT_EQ(more[0].value, 32769);

    // 32 767 rows sort completely.
    std::vector<Row> most(32767);
    for (size_t k = 0; k < most.size(); ++k) most[k] = {static_cast<int>(k), 'r'};
    most[0].value = 40000;
    EXPECT_EQ(sortRows(most), 0);
    EXPECT_EQ(most.back().value, 40000);
    EXPECT_EQ(most.front().value, 1);
}
