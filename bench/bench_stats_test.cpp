// Checks of the summaries in bench_stats.cpp; scripts/bench runs it before it measures, and a
// failure stops the bench. Exit code: the number of failed checks.
#include "bench/bench_stats.h"

#include <cstdio>
#include <vector>

namespace {

int failures = 0;

void Expect(const char* what, double actual, double expected) {
    if (actual != expected) {
        std::printf("FAILED %s: got %g, expected %g\n", what, actual, expected);
        ++failures;
    }
}

void MedianChecks() {
    Expect("median of nothing", bench::Median({}), 0);
    Expect("median of one", bench::Median({7}), 7);
    Expect("median of an odd count, unsorted", bench::Median({9, 1, 5}), 5);
    Expect("median of an even count is the mean of the middle two", bench::Median({4, 1, 3, 2}),
           2.5);
    Expect("median with repeated values", bench::Median({2, 2, 9, 2, 9}), 2);
}

void PercentileChecks() {
    const std::vector<double> five = {30, 10, 50, 20, 40};
    Expect("95th of five is the largest", bench::NearestRankPercentile(five, 95), 50);
    Expect("80th of five is the fourth", bench::NearestRankPercentile(five, 80), 40);
    Expect("81st of five rounds the rank up", bench::NearestRankPercentile(five, 81), 50);
    Expect("50th of five is the median", bench::NearestRankPercentile(five, 50), 30);
    Expect("0th is the smallest", bench::NearestRankPercentile(five, 0), 10);
    Expect("100th is the largest", bench::NearestRankPercentile(five, 100), 50);
    std::vector<double> twenty;
    for (int i = 20; i >= 1; --i) {
        twenty.push_back(i);
    }
    Expect("95th of twenty is the nineteenth", bench::NearestRankPercentile(twenty, 95), 19);
    Expect("95th of nothing", bench::NearestRankPercentile({}, 95), 0);
}

} // namespace

int main() {
    MedianChecks();
    PercentileChecks();
    if (failures == 0) {
        std::printf("bench_stats_test: all checks passed\n");
    }
    return failures;
}
