#pragma once

// The main window's design: rectangles in twips relative to the window's client area (controls
// inside a frame are already offset by the frame's position), captions and tool tips.

#include "launcher/launch_sequence.h"
#include "ui/twips.h"

namespace frm_varnel_design {

constexpr int kClientWidth = 4350;
constexpr int kClientHeight = 3885;

constexpr TwipsRect fraProfile{120, 120, 4095, 1815};
constexpr TwipsRect lblAlias{120 + 240, 120 + 360, 1095, 255};
constexpr TwipsRect txtEmailAlias{120 + 1320, 120 + 360, 2535, 315};
constexpr TwipsRect lblLocation{120 + 240, 120 + 840, 1215, 255};
constexpr TwipsRect cboMarket{120 + 1320, 120 + 840, 2535, 315};
constexpr TwipsRect lblServer{120 + 240, 120 + 1320, 1095, 255};
constexpr TwipsRect txtServer{1440, 1440, 2535, 315};
constexpr TwipsRect fraAdvOptions{120, 2040, 4095, 1335};
constexpr TwipsRect cmdLogon{120, 3480, 2775, 375};
constexpr TwipsRect cmdCancel{3000, 3480, 1215, 375};

// The start-up switches the launch chooses from.
constexpr int kOptionCount = static_cast<int>(kStartupOptionCount);
constexpr int kOptionWidth = 1815;
constexpr int kOptionHeight = 255;
// Indexes 0..2 in the left column, 3..5 in the right, inside fraAdvOptions.
constexpr TwipsRect OptAdvanced(int index) {
    return TwipsRect{fraAdvOptions.left + (index < 3 ? 240 : 2160),
                     fraAdvOptions.top + 240 + 360 * (index % 3), kOptionWidth, kOptionHeight};
}

// Captions given at load; the selected one is the switch passed to Outlook ("(none)": none).
constexpr const char* kOptionCaptions[kOptionCount] = {
    kNoSwitchCaption, "/cleanfreebusy", "/cleanschedplus", "", "/cleanreminders", "/resetfolders"};

constexpr const char* kOtherLocation = "[Other]";

// The window's font: face and size in hundredths of a point.
constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kFontSize = 800;

} // namespace frm_varnel_design
