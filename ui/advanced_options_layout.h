#pragma once

// The arithmetic of ShowAdvancedOptions: where the two buttons go and how tall the window
// becomes when the advanced panel is shown or hidden. All in twips.

#include <cstdint>

struct AdvancedOptionsGeometry {
    double windowOuterHeight; // measured from the window; title bar, menu and borders included
    int profileTop;           // fraProfile
    int profileHeight;
    int advancedTop; // fraAdvOptions
    int advancedHeight;
    int logonTop; // cmdLogon
    int logonHeight;
};

struct AdvancedOptionsPlacement {
    int buttonTop;         // new top of cmdLogon and cmdCancel
    int windowOuterHeight; // new outer height of the window
};

// Keeps the current bottom margin and the current gap above the buttons, so alternate hiding
// and showing return to the same layout.
AdvancedOptionsPlacement PlaceAdvancedOptions(const AdvancedOptionsGeometry& now, bool show);
