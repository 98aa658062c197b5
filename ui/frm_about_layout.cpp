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

std::string VersionStringPath(std::uint16_t language, std::uint16_t codePage,
                              std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string translation(8, '0');
    const std::uint32_t both = (static_cast<std::uint32_t>(language) << 16) | codePage;
    for (int digit = 0; digit < 8; ++digit) {
        translation[static_cast<std::size_t>(7 - digit)] = kHex[(both >> (4 * digit)) & 0xFu];
    }
    return "\\StringFileInfo\\" + translation + "\\" + std::string(name);
}
