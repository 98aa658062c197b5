#include "bench/bench_stats.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace bench {

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) {
        return values[middle];
    }
    return (values[middle - 1] + values[middle]) / 2;
}

double NearestRankPercentile(std::vector<double> values, double percent) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    // Rank ceil(p/100 * n), 1-based, kept within 1..n.
    const double rank = std::ceil(percent / 100 * static_cast<double>(values.size()));
    const std::size_t index =
        rank < 1 ? 0 : std::min(values.size(), static_cast<std::size_t>(rank)) - 1;
    return values[index];
}

} // namespace bench
