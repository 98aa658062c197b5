#pragma once

// Pixel arithmetic of the About box that needs no window: where the separator lines go and
// how the version line reads.

#include <array>
#include <cstdint>
#include <string>

// A filled rectangle in client pixels; right and bottom are exclusive.
struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The rectangles that paint Line1(0) and Line1(1) at dpi, by index. The grey separator
// (index 1) lies on the design row; its white highlight (index 0) lies directly below it, so
// that the highlight never paints over the separator on the white panel. Widths scale with
// dpi and never drop below one pixel.
std::array<PixelRect, 2> Line1Rects(unsigned dpi);

// "Version " + major.minor.revision of a fixed file version (the build number is not shown),
// each in plain decimal.
std::string VersionLine(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);
