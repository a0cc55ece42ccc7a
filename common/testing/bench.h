#pragma once
// Timing for the benchmark programs.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace frame::testing {

inline double seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median time of a few rounds of f: a single round can be far off either way
// while the wine server is busy.
template <class F>
double medianSeconds(int rounds, F&& f) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const double start = seconds();
        f();
        times.push_back(seconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace frame::testing
