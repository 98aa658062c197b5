#include "ui/frm_about_layout.h"

#include "ui/frm_about_design.h"
#include "ui/twips.h"

#include <algorithm>

namespace {

int ScaledWidth(int pixelsAt96, unsigned dpi) {
    return std::max(1, TwipsToPixels(pixelsAt96 * 15, dpi));
}

} // namespace

std::array<PixelRect, 2> Line1Rects(unsigned dpi) {
    using frm_about_design::Line1;
    const int y = TwipsToPixels(Line1[1].y, dpi);
    const int separatorBottom = y + ScaledWidth(Line1[1].width, dpi);
    const PixelRect separator{TwipsToPixels(Line1[1].x1, dpi), y, TwipsToPixels(Line1[1].x2, dpi),
                              separatorBottom};
    const PixelRect highlight{TwipsToPixels(Line1[0].x1, dpi), separatorBottom,
                              TwipsToPixels(Line1[0].x2, dpi),
                              separatorBottom + ScaledWidth(Line1[0].width, dpi)};
    return {highlight, separator};
}

std::string VersionLine(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
    const unsigned major = fileVersionMS >> 16;
    const unsigned minor = fileVersionMS & 0xFFFFu;
    const unsigned revision = fileVersionLS & 0xFFFFu;
    return "Version " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}
