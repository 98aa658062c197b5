#include "ui/advanced_options_layout.h"
#include "ui/frm_varnel_design.h"
#include "ui/twips.h"

#include <gtest/gtest.h>

namespace {

namespace design = frm_varnel_design;

// The window's outer height at the design: client area plus 795 twips of caption, menu and
// borders (53 pixels at 96 dpi).
constexpr double kNonClient = 795;

AdvancedOptionsGeometry DesignWith(double outerHeight, int logonTop) {
    return {outerHeight,
            design::fraProfile.top,
            design::fraProfile.height,
            design::fraAdvOptions.top,
            design::fraAdvOptions.height,
            logonTop,
            design::cmdLogon.height};
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEvenToInt16(2.5), 2);
    EXPECT_EQ(RoundHalfEvenToInt16(3.5), 4);
    EXPECT_EQ(RoundHalfEvenToInt16(-2.5), -2);
    EXPECT_EQ(RoundHalfEvenToInt16(-3.5), -4);
    EXPECT_EQ(RoundHalfEvenToInt16(104.6), 105);
    EXPECT_EQ(RoundHalfEvenToInt16(104.4), 104);
}

TEST(RoundHalfEven, StaysInsideSixteenBits) {
    EXPECT_EQ(RoundHalfEvenToInt16(40000.0), 32767);
    EXPECT_EQ(RoundHalfEvenToInt16(-40000.0), -32768);
}

TEST(Twips, FifteenTwipsAPixelAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(3480, 96), 232);
    EXPECT_EQ(TwipsToPixels(3480, 144), 348);
    EXPECT_EQ(TwipsToPixels(3480, 192), 464);
    EXPECT_DOUBLE_EQ(PixelsToTwips(232, 96), 3480.0);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);
    EXPECT_EQ(TwipsToPixels(8, 96), 1);
}

TEST(AdvancedOptions, HidingAtLoadMovesTheButtonsUpAndShrinksBy1440) {
    const double outer = design::kClientHeight + kNonClient;
    const AdvancedOptionsPlacement hidden = PlaceAdvancedOptions(DesignWith(outer, 3480), false);
    EXPECT_EQ(hidden.buttonTop, 2040);
    EXPECT_EQ(hidden.windowOuterHeight, outer - 1440);
}

TEST(AdvancedOptions, ShowingAfterHidingRestoresTheDesign) {
    const double outer = design::kClientHeight + kNonClient;
    const AdvancedOptionsPlacement hidden = PlaceAdvancedOptions(DesignWith(outer, 3480), false);
    const AdvancedOptionsPlacement shown =
        PlaceAdvancedOptions(DesignWith(hidden.windowOuterHeight, hidden.buttonTop), true);
    EXPECT_EQ(shown.buttonTop, 3480);
    EXPECT_EQ(shown.windowOuterHeight, outer);
}

TEST(AdvancedOptions, KeepsTheBottomMarginOfAResizedWindow) {
    // 300 twips more below the buttons than the design has: kept through hide and show.
    const double outer = design::kClientHeight + kNonClient + 300;
    const AdvancedOptionsPlacement hidden = PlaceAdvancedOptions(DesignWith(outer, 3480), false);
    EXPECT_EQ(hidden.windowOuterHeight, outer - 1440);
    const AdvancedOptionsPlacement shown =
        PlaceAdvancedOptions(DesignWith(hidden.windowOuterHeight, hidden.buttonTop), true);
    EXPECT_EQ(shown.windowOuterHeight, outer);
}

TEST(AdvancedOptions, FractionalHeightsRoundHalfToEven) {
    // At 144 dpi a pixel is 10 twips; an outer height of 4680.5 twips leaves a bottom margin
    // of 825.5, which rounds to 826 (even), not 825.
    const AdvancedOptionsPlacement hidden = PlaceAdvancedOptions(DesignWith(4680.5, 3480), false);
    EXPECT_EQ(hidden.windowOuterHeight, 375 + 2040 + 826);
    const AdvancedOptionsPlacement odd = PlaceAdvancedOptions(DesignWith(4679.5, 3480), false);
    EXPECT_EQ(odd.windowOuterHeight, 375 + 2040 + 824);
}

} // namespace
