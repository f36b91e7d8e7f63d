#pragma once
// What the benchmarks print: milliseconds, the median and the worst of repeated runs.

#include <QtGlobal>

#include <algorithm>
#include <vector>

inline double ms(qint64 ns) { return double(ns) / 1e6; }

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
