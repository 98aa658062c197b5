#pragma once

#include <cstdint>

// Window geometry is designed in twips (1/1440 inch); 15 twips make one pixel at 96 dpi.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest whole number, halves to the even neighbour, held as a 16-bit integer.
std::int16_t RoundHalfEvenToInt16(double value);

// Pixels for a twips distance at dpi, rounded to nearest.
int TwipsToPixels(int twips, unsigned dpi);

// Twips for a pixel distance at dpi (exact; 15 per pixel at 96 dpi).
double PixelsToTwips(int pixels, unsigned dpi);
