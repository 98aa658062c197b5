#pragma once

// The About box's design: rectangles in twips relative to its client area, the two separator
// lines, colours and the texts that are the About box's own.

#include "ui/twips.h"

#include <cstdint>

namespace frm_about_design {

constexpr int kClientWidth = 5730;
constexpr int kClientHeight = 3555;

constexpr TwipsRect picIcon{240, 240, 540, 540};
constexpr TwipsRect lblTitle{1050, 240, 3885, 480};
constexpr TwipsRect lblVersion{1050, 780, 3885, 225};
constexpr TwipsRect lblDescription{1050, 1125, 3885, 450};
constexpr TwipsRect lblContactEmail{360, 1920, 2295, 255};
constexpr TwipsRect lblContactWWW{3720, 1920, 1695, 255};
constexpr TwipsRect lblDisclaimer{255, 2385, 3870, 1065};
constexpr TwipsRect cmdOK{4245, 2625, 1260, 345};

// A horizontal line from x1 to x2 at y (twips), width pixels thick at 96 dpi.
struct HorizontalLine {
    int x1;
    int x2;
    int y;
    int width;
    std::uint32_t colour; // 0xRRGGBB
};
// Line1(0), the white highlight, and Line1(1), the grey separator.
constexpr HorizontalLine Line1[2] = {
    {105, 5654, 2280, 2, 0xFFFFFF},
    {90, 5654, 2280, 1, 0x808080},
};

constexpr std::uint32_t kBackground = 0xFFFFFF;
constexpr std::uint32_t kTitleColour = 0x0000FF;
constexpr std::uint32_t kLinkColour = 0x0000FF;
constexpr std::uint32_t kTextColour = 0x000000;

// Fonts: the standard font of the About box, the title's and the links'. Sizes in
// hundredths of a point.
constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kStandardFontSize = 800;
constexpr int kTitleFontSize = 1800;
constexpr int kLinkFontSize = 825;

// The contact addresses: placeholders that reach nobody. Shown without a scheme; the scheme
// is added when a link is clicked.
constexpr const char* kContactEmail = "varnel@example.com";
constexpr const char* kContactWWW = "www.example.org";
constexpr const char* kEmailToolTip = "Submit Email Message to Author";
constexpr const char* kWWWToolTip = "Visit Author's Home Page";
constexpr const char* kEmailScheme = "mailto:";
constexpr const char* kWWWScheme = "http://";

} // namespace frm_about_design
