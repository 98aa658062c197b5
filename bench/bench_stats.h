#pragma once

// The summaries scripts/bench reports over its runs.

#include <vector>

namespace bench {

// The middle value of an odd count, the mean of the two middle values of an even count; 0 when
// there are none.
double Median(std::vector<double> values);

// The nearest-rank percentile: the smallest value that at least `percent` percent of the values
// do not exceed (so the 95th of five values is the largest); 0 when there are none.
double NearestRankPercentile(std::vector<double> values, double percent);

} // namespace bench
