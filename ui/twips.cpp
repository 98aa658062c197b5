#include "ui/twips.h"

#include <cmath>
#include <limits>

std::int16_t RoundHalfEvenToInt16(double value) {
    // Halves go to the even neighbour: x - floor(x) == 0.5 picks the even one of the two.
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    if (!(whole >= lo)) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (whole > hi) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(whole);
}

int TwipsToPixels(int twips, unsigned dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

double PixelsToTwips(int pixels, unsigned dpi) {
    return static_cast<double>(pixels) * kTwipsPerInch / (dpi == 0 ? 96 : dpi);
}
