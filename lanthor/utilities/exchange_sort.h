#pragma once
// The exchange sort of CDictionary.DoSort, apart from what it sorts: every
// pair of rows (i, j) with i < j, in order, exchanged when row i is greater
// than row j. Its positions are 16-bit signed integers, and they keep that
// arithmetic: a table of more than 32 768 rows overflows (run-time error 6)
// before the first comparison, one of exactly 32 768 rows after the first
// pass. An error, from the positions or from a comparison, ends the sort at
// once and leaves the rows as far as they were sorted.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "common/convert.h"
#include "common/errors.h"

namespace lanthor {

namespace detail {
// The next value of a 16-bit loop counter.
inline int16_t nextPosition(int16_t position) {
    if (position == std::numeric_limits<int16_t>::max()) frame::raise(frame::errOverflow);
    return static_cast<int16_t>(position + 1);
}
}  // namespace detail

// greater(i, j) and exchange(i, j) take row positions, counted from 0.
template <class Greater, class Exchange>
void exchangeSort(size_t rows, Greater&& greater, Exchange&& exchange) {
    const int16_t first = 0;
    const int16_t last = frame::narrow<int16_t>(static_cast<int64_t>(rows) - 1);
    for (int16_t i = first; i <= last - 1; i = detail::nextPosition(i)) {
        for (int16_t j = detail::nextPosition(i); j <= last; j = detail::nextPosition(j)) {
            if (greater(static_cast<size_t>(i), static_cast<size_t>(j)))
                exchange(static_cast<size_t>(i), static_cast<size_t>(j));
        }
    }
}

}  // namespace lanthor
