#pragma once
// The middle of a run's timings: what the benchmarks compare, as one slow round from a
// busy machine moves it little.
#include <algorithm>
#include <vector>

inline double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
