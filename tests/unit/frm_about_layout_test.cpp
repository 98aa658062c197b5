#include "ui/frm_about_layout.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const PixelRect& rect, int left, int top, int right, int bottom) {
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.right, right);
    EXPECT_EQ(rect.bottom, bottom);
}

TEST(AboutSeparator, At96DpiTheGreyRowHasTheWhiteHighlightBelowIt) {
    const auto lines = Line1Rects(96);
    ExpectRect(lines[1], 6, 152, 377, 153); // grey, 1 pixel, from 90 twips
    ExpectRect(lines[0], 7, 153, 377, 155); // white, 2 pixels, from 105 twips
}

TEST(AboutSeparator, ScalesWithDpiAndStaysStacked) {
    for (unsigned dpi : {120u, 144u, 192u}) {
        const auto lines = Line1Rects(dpi);
        EXPECT_EQ(lines[0].top, lines[1].bottom) << dpi;
        EXPECT_GE(lines[1].bottom - lines[1].top, 1) << dpi;
        EXPECT_GT(lines[0].bottom - lines[0].top, lines[1].bottom - lines[1].top) << dpi;
    }
    ExpectRect(Line1Rects(192)[1], 12, 304, 754, 306);
    ExpectRect(Line1Rects(192)[0], 14, 306, 754, 310);
}

TEST(AboutVersionLine, MajorMinorAndRevisionWithoutTheBuild) {
    EXPECT_EQ(VersionLine(0x00010000, 0x00000008), "Version 1.0.8");    // file version 1.0.0.8
    EXPECT_EQ(VersionLine(0x00020003, 0x00040005), "Version 2.3.5");    // 2.3.4.5
    EXPECT_EQ(VersionLine(0x000A0000, 0x00000064), "Version 10.0.100"); // no padding
    EXPECT_EQ(VersionLine(0xFFFFFFFF, 0xFFFFFFFF), "Version 65535.65535.65535");
    EXPECT_EQ(VersionLine(0, 0), "Version 0.0.0");
}

} // namespace
