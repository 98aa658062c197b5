#include "ui/advanced_options_layout.h"

#include "ui/twips.h"

AdvancedOptionsPlacement PlaceAdvancedOptions(const AdvancedOptionsGeometry& now, bool show) {
    const std::int16_t bottom =
        RoundHalfEvenToInt16(now.windowOuterHeight - (now.logonHeight + now.logonTop));
    AdvancedOptionsPlacement placed{};
    if (show) {
        const std::int16_t gap =
            RoundHalfEvenToInt16(now.logonTop - (now.profileHeight + now.profileTop));
        placed.buttonTop = now.advancedTop + now.advancedHeight + gap;
    } else {
        const std::int16_t gap =
            RoundHalfEvenToInt16(now.logonTop - (now.advancedHeight + now.advancedTop));
        placed.buttonTop = now.profileTop + now.profileHeight + gap;
    }
    placed.windowOuterHeight = now.logonHeight + placed.buttonTop + bottom;
    return placed;
}
