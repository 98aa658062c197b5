// The main window and the About box on a screen of the dpi this run is for: 96 in the tests'
// usual prefix, 144 or 192 in a prefix of their own (scripts/lib/wine-dpi sets its LogPixels
// and says which in VARNEL_EXPECTED_DPI). Every rectangle is the 96-dpi one scaled, the fonts
// grow with it, no text is cut, and a move to a screen of another dpi (WM_DPICHANGED) lays
// both windows out again.
#include "launcher/bas_varnel.h"
#include "platform/dpi.h"
#include "resources/resource_ids.h"
#include "support/main_window.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_about.h"
#include "ui/frm_about_design.h"
#include "ui/frm_varnel.h"
#include "ui/frm_varnel_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using test_support::FontOf;
using test_support::PumpFor;
using test_support::RectIn;
using test_support::Text;
using test_support::WindowDc;
namespace main_design = frm_varnel_design;
namespace about_design = frm_about_design;

// The dpi this run expects: the prefix's, as the script that made it says; 96 otherwise.
UINT ExpectedDpi() {
    const char* given = std::getenv("VARNEL_EXPECTED_DPI");
    return given != nullptr && *given != '\0' ? static_cast<UINT>(std::atoi(given)) : 96;
}

UINT ScreenDpi() {
    return static_cast<UINT>(GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY));
}

// A design length in twips as it is at 96 dpi (15 twips a pixel), then scaled to dpi.
double Scaled(int twips, UINT dpi) {
    return twips / 15.0 * dpi / 96.0;
}

// Within one pixel of the 96-dpi length scaled: the rounding of position and size may differ.
void ExpectScaled(long actual, int twips, UINT dpi, const std::string& what) {
    EXPECT_LE(std::abs(actual - Scaled(twips, dpi)), 1.0)
        << what << ": " << actual << " pixels, expected " << Scaled(twips, dpi) << " at " << dpi
        << " dpi";
}

void ExpectControlAt(HWND window, int id, const TwipsRect& twips, UINT dpi) {
    const RECT rect = RectIn(window, GetDlgItem(window, id));
    const std::string name = "control " + std::to_string(id);
    ExpectScaled(rect.left, twips.left, dpi, name + " left");
    ExpectScaled(rect.top, twips.top, dpi, name + " top");
    ExpectScaled(rect.right - rect.left, twips.width, dpi, name + " width");
    ExpectScaled(rect.bottom - rect.top, twips.height, dpi, name + " height");
}

// The text as a control draws it: "&" marks the mnemonic and is not drawn.
std::string Drawn(std::string text) {
    const auto amp = text.find('&');
    if (amp != std::string::npos) {
        text.erase(amp, 1);
    }
    return text;
}

// What a control's font draws: its metrics and the extent of a text in it.
struct Measure {
    TEXTMETRICA metrics{};
    SIZE extent{};
    int em() const { return metrics.tmHeight - metrics.tmInternalLeading; }
};

Measure MeasureIn(HWND control, const std::string& text) {
    Measure measure;
    WindowDc dc(control);
    dc.Select(FontOf(control));
    GetTextMetricsA(dc.get(), &measure.metrics);
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &measure.extent);
    return measure;
}

// The em of a font of `points` at dpi, from the design's point size alone.
int EmFor(double points, UINT dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Each control of a window and its font, to see that a relayout moved every one of them and
// that the fonts it replaced are gone.
struct Layout {
    std::vector<RECT> rects;
    std::vector<HFONT> fonts;
};

Layout LayoutOf(HWND window, const std::vector<int>& ids) {
    Layout layout;
    for (int id : ids) {
        layout.rects.push_back(RectIn(window, GetDlgItem(window, id)));
        layout.fonts.push_back(FontOf(GetDlgItem(window, id)));
    }
    return layout;
}

bool SameRects(const Layout& a, const Layout& b) {
    if (a.rects.size() != b.rects.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.rects.size(); ++i) {
        if (!EqualRect(&a.rects[i], &b.rects[i])) {
            return false;
        }
    }
    return true;
}

// The outer rectangle the system would suggest for a window whose client area is
// clientTwips at dpi, its top left corner at `at`.
RECT SuggestedRect(HWND window, POINT at, SIZE clientTwips, UINT dpi, bool menu) {
    RECT rect{0, 0, static_cast<LONG>(std::lround(Scaled(clientTwips.cx, dpi))),
              static_cast<LONG>(std::lround(Scaled(clientTwips.cy, dpi)))};
    AdjustWindowRectForDpi(&rect, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                           menu ? TRUE : FALSE,
                           static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), dpi);
    OffsetRect(&rect, at.x - rect.left, at.y - rect.top);
    return rect;
}

void SendDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    RECT copy = suggested;
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&copy));
}

// Another dpi than the screen's for the moves: from 96 to 192, from 144 to 96, from 192 to 144.
UINT OtherDpi(UINT dpi) {
    return dpi == 96 ? 192 : dpi == 144 ? 96 : 144;
}

// ---- the main window ------------------------------------------------------------------------

const std::vector<int> kMainIds = {
    IDC_FRA_PROFILE,        IDC_LBL_ALIAS,          IDC_TXT_EMAIL_ALIAS,    IDC_LBL_LOCATION,
    IDC_CBO_MARKET,         IDC_LBL_SERVER,         IDC_TXT_SERVER,         IDC_FRA_ADV_OPTIONS,
    IDC_OPT_ADVANCED_0,     IDC_OPT_ADVANCED_0 + 1, IDC_OPT_ADVANCED_0 + 2, IDC_OPT_ADVANCED_0 + 3,
    IDC_OPT_ADVANCED_0 + 4, IDC_OPT_ADVANCED_0 + 5, IDC_CMD_LOGON,          IDC_CMD_CANCEL};

struct Placed {
    int id;
    TwipsRect twips;
};

// Where the design puts each control; the buttons stand under the advanced panel when it is
// shown and 1440 twips higher when it is hidden.
std::vector<Placed> MainDesign(bool panelShown) {
    const int lift = panelShown ? 0 : 1440;
    std::vector<Placed> placed = {{IDC_FRA_PROFILE, main_design::fraProfile},
                                  {IDC_LBL_ALIAS, main_design::lblAlias},
                                  {IDC_TXT_EMAIL_ALIAS, main_design::txtEmailAlias},
                                  {IDC_LBL_LOCATION, main_design::lblLocation},
                                  {IDC_CBO_MARKET, main_design::cboMarket},
                                  {IDC_LBL_SERVER, main_design::lblServer},
                                  {IDC_TXT_SERVER, main_design::txtServer},
                                  {IDC_FRA_ADV_OPTIONS, main_design::fraAdvOptions}};
    for (int i = 0; i < main_design::kOptionCount; ++i) {
        placed.push_back({IDC_OPT_ADVANCED_0 + i, main_design::OptAdvanced(i)});
    }
    TwipsRect logon = main_design::cmdLogon;
    TwipsRect cancel = main_design::cmdCancel;
    logon.top -= lift;
    cancel.top -= lift;
    placed.push_back({IDC_CMD_LOGON, logon});
    placed.push_back({IDC_CMD_CANCEL, cancel});
    return placed;
}

class AtScreenDpi : public test_support::MainWindowTest {
  protected:
    void SetUp() override {
        dpi = ExpectedDpi();
        ASSERT_EQ(ScreenDpi(), dpi) << "this run is for a screen of " << dpi
                                    << " dpi; the Wine prefix's LogPixels says otherwise";
    }
    void OpenMain() { MainWindowTest::OpenMain({{"London Head Office", "LONMX01"}}); }
    void OpenAbout() {
        about = CreateFrmAbout(form);
        ASSERT_NE(about, nullptr);
        ShowWindow(about, SW_SHOWNORMAL);
        UpdateWindow(about);
        PumpFor(30);
    }
    void ToggleAdvancedOptions() { SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0); }
    void ExpectMainLayout(UINT at, bool panelShown) {
        for (const Placed& placed : MainDesign(panelShown)) {
            ExpectControlAt(form, placed.id, placed.twips, at);
        }
    }
    long OuterHeight() const {
        RECT outer{};
        GetWindowRect(form, &outer);
        return outer.bottom - outer.top;
    }
    UINT dpi = 96;
    HWND about = nullptr;
};

TEST_F(AtScreenDpi, TheWindowsTakeTheScreensDpi) {
    OpenMain();
    EXPECT_EQ(DpiForWindow(form), dpi);
    OpenAbout();
    EXPECT_EQ(DpiForWindow(about), dpi);
}

TEST_F(AtScreenDpi, MainWindowControlsAreTheDesignScaled) {
    OpenMain();
    const SIZE client = ClientSize(form);
    ExpectScaled(client.cx, main_design::kClientWidth, dpi, "client width");
    ExpectScaled(client.cy, main_design::kClientHeight - 1440, dpi, "client height, panel hidden");
    ExpectMainLayout(dpi, false);

    ToggleAdvancedOptions();
    ExpectMainLayout(dpi, true);
    ExpectScaled(ClientSize(form).cy, main_design::kClientHeight, dpi, "client height, shown");
}

TEST_F(AtScreenDpi, TheAdvancedPanelRestoresTheExactHeight) {
    OpenMain();
    const long hidden = OuterHeight();
    ToggleAdvancedOptions();
    const long shown = OuterHeight();
    ExpectScaled(shown - hidden, 1440, dpi, "the panel's height");
    for (int round = 0; round < 3; ++round) {
        ToggleAdvancedOptions();
        EXPECT_EQ(OuterHeight(), hidden) << "round " << round;
        ToggleAdvancedOptions();
        EXPECT_EQ(OuterHeight(), shown) << "round " << round;
    }
    ExpectMainLayout(dpi, true);
}

TEST_F(AtScreenDpi, ShowingThePanelKeepsTheWindowOnTheScreen) {
    // The window grows downwards when the panel shows; near the bottom of the screen (as a
    // centred window is on a small screen at a high dpi) it moves up just enough to keep its
    // buttons on the screen.
    OpenMain();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    const long hidden = OuterHeight();
    RECT outer{};
    GetWindowRect(form, &outer);
    const LONG left = outer.left;
    SetWindowPos(form, nullptr, left, work.bottom - hidden - 10, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ToggleAdvancedOptions();
    GetWindowRect(form, &outer);
    EXPECT_EQ(outer.bottom, work.bottom) << "moved up just enough";
    EXPECT_EQ(outer.left, left);
    ExpectScaled(outer.bottom - outer.top - hidden, 1440, dpi, "the panel's height");
    ToggleAdvancedOptions();
    EXPECT_EQ(OuterHeight(), hidden) << "hiding restores the height and leaves the window there";
    RECT after{};
    GetWindowRect(form, &after);
    EXPECT_EQ(after.top, outer.top);

    // Away from the bottom the window stays where it is.
    SetWindowPos(form, nullptr, left, work.top + 5, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ToggleAdvancedOptions();
    GetWindowRect(form, &outer);
    EXPECT_EQ(outer.top, work.top + 5);
}

TEST_F(AtScreenDpi, MainWindowFontGrowsWithTheDpi) {
    OpenMain();
    const HFONT font = FontOf(GetDlgItem(form, IDC_TXT_EMAIL_ALIAS));
    ASSERT_NE(font, nullptr);
    for (int id : kMainIds) {
        HWND control = GetDlgItem(form, id);
        EXPECT_EQ(FontOf(control), font) << "control " << id << " has the window's font";
        EXPECT_NEAR(MeasureIn(control, "x").em(), EmFor(8, dpi), 1) << "control " << id;
    }
}

TEST_F(AtScreenDpi, MainWindowTextIsNotCut) {
    OpenMain();
    ToggleAdvancedOptions();
    const int edge = MulDiv(2, static_cast<int>(dpi), 96);
    for (int id : {IDC_LBL_ALIAS, IDC_LBL_LOCATION, IDC_LBL_SERVER}) {
        HWND label = GetDlgItem(form, id);
        const Measure text = MeasureIn(label, Drawn(Text(label)));
        const SIZE client = ClientSize(label);
        EXPECT_LE(text.extent.cx, client.cx) << Text(label);
        EXPECT_LE(text.extent.cy, client.cy) << Text(label);
    }
    for (int id : {IDC_CMD_LOGON, IDC_CMD_CANCEL}) {
        HWND button = GetDlgItem(form, id);
        const Measure text = MeasureIn(button, Drawn(Text(button)));
        const SIZE client = ClientSize(button);
        EXPECT_LE(text.extent.cx + 4 * edge, client.cx) << Text(button);
        EXPECT_LE(text.extent.cy + 2 * edge, client.cy) << Text(button);
    }
    // An option button draws its round mark, a gap, then its caption.
    const int mark = MulDiv(13 + 4, static_cast<int>(dpi), 96);
    for (int i = 0; i < main_design::kOptionCount; ++i) {
        HWND option = GetDlgItem(form, IDC_OPT_ADVANCED_0 + i);
        const Measure text = MeasureIn(option, Text(option));
        const SIZE client = ClientSize(option);
        EXPECT_LE(mark + text.extent.cx, client.cx) << Text(option);
        EXPECT_LE(text.extent.cy, client.cy) << Text(option);
    }
    // A frame's caption sits on its top edge, inset from the corner.
    for (int id : {IDC_FRA_PROFILE, IDC_FRA_ADV_OPTIONS}) {
        HWND frame = GetDlgItem(form, id);
        const Measure text = MeasureIn(frame, Text(frame));
        EXPECT_LE(text.extent.cx + 4 * edge, ClientSize(frame).cx) << Text(frame);
    }
    // The boxes and the list show one line of their font inside their borders.
    for (int id : {IDC_TXT_EMAIL_ALIAS, IDC_TXT_SERVER, IDC_CBO_MARKET}) {
        HWND box = GetDlgItem(form, id);
        EXPECT_LE(MeasureIn(box, "Xg").metrics.tmHeight, ClientSize(box).cy) << "control " << id;
    }
    HWND list = GetDlgItem(form, IDC_CBO_MARKET);
    const Measure entry = MeasureIn(list, "London Head Office");
    EXPECT_LE(entry.extent.cx + GetSystemMetrics(SM_CXVSCROLL), ClientSize(list).cx);
}

TEST_F(AtScreenDpi, MainWindowFollowsAMoveToAnotherDpiAndBack) {
    OpenMain();
    ToggleAdvancedOptions(); // the panel's state must survive the move
    const Layout before = LayoutOf(form, kMainIds);
    RECT original{};
    GetWindowRect(form, &original);
    const UINT other = OtherDpi(dpi);

    const RECT suggested =
        SuggestedRect(form, {original.left + 7, original.top + 5},
                      {main_design::kClientWidth, main_design::kClientHeight}, other, true);
    SendDpiChanged(form, other, suggested);
    RECT now{};
    GetWindowRect(form, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested)) << "the window takes the suggested rectangle";
    ExpectMainLayout(other, true);
    const HFONT font = FontOf(GetDlgItem(form, IDC_CMD_LOGON));
    for (int id : kMainIds) {
        EXPECT_EQ(FontOf(GetDlgItem(form, id)), font) << "control " << id;
    }
    EXPECT_NEAR(MeasureIn(GetDlgItem(form, IDC_LBL_ALIAS), "x").em(), EmFor(8, other), 1);
    EXPECT_EQ(GetObjectType(before.fonts[0]), 0u) << "the font made for the old dpi is deleted";
    EXPECT_NE(GetMenuState(GetMenu(form), IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED,
              0u);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(form, IDC_OPT_ADVANCED_0 + 5)));

    // The panel's toggling works in the new dpi's pixels and keeps the height exactly.
    const long shown = OuterHeight();
    ToggleAdvancedOptions();
    ExpectScaled(shown - OuterHeight(), 1440, other, "the panel's height after the move");
    ExpectMainLayout(other, false);
    ToggleAdvancedOptions();
    EXPECT_EQ(OuterHeight(), shown);
    ExpectMainLayout(other, true);

    // Back on the first screen everything is where it was.
    SendDpiChanged(form, dpi, original);
    GetWindowRect(form, &now);
    EXPECT_TRUE(EqualRect(&now, &original));
    EXPECT_TRUE(SameRects(LayoutOf(form, kMainIds), before));
    EXPECT_NEAR(MeasureIn(GetDlgItem(form, IDC_LBL_ALIAS), "x").em(), EmFor(8, dpi), 1);
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(AtScreenDpi, LabelsStayClearOfTheirControlsAfterAMove) {
    // A label that reaches into its control is clipped there; after a move the clipping must
    // fit the new sizes, or the label would cover part of the control or lose its own text.
    OpenMain();
    RECT original{};
    GetWindowRect(form, &original);
    const UINT other = OtherDpi(dpi);
    for (UINT at : {other, dpi}) {
        const RECT suggested =
            SuggestedRect(form, {original.left, original.top},
                          {main_design::kClientWidth, main_design::kClientHeight - 1440}, at, true);
        SendDpiChanged(form, at, suggested);
        for (auto [labelId, controlId] : {std::pair{IDC_LBL_ALIAS, IDC_TXT_EMAIL_ALIAS},
                                          std::pair{IDC_LBL_LOCATION, IDC_CBO_MARKET},
                                          std::pair{IDC_LBL_SERVER, IDC_TXT_SERVER}}) {
            HWND label = GetDlgItem(form, labelId);
            const RECT labelRect = RectIn(form, label);
            const RECT controlRect = RectIn(form, GetDlgItem(form, controlId));
            // Points of the label in window coordinates: just left of the control, and inside it.
            const POINT outside{controlRect.left - 1 - labelRect.left, 1};
            const POINT inside{controlRect.left + 1 - labelRect.left, 1};
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            const int kind = GetWindowRgn(label, region);
            if (labelRect.right > controlRect.left) {
                ASSERT_NE(kind, ERROR) << "label " << labelId << " at " << at;
                EXPECT_TRUE(PtInRegion(region, outside.x, outside.y)) << labelId << " at " << at;
                EXPECT_FALSE(PtInRegion(region, inside.x, inside.y)) << labelId << " at " << at;
            }
            DeleteObject(region);
        }
    }
}

// ---- the About box --------------------------------------------------------------------------

const std::vector<int> kAboutIds = {IDC_CMD_OK,          IDC_PIC_ICON,        IDC_LBL_TITLE,
                                    IDC_LBL_VERSION,     IDC_LBL_DESCRIPTION, IDC_LBL_CONTACT_EMAIL,
                                    IDC_LBL_CONTACT_WWW, IDC_LBL_DISCLAIMER};

const std::vector<Placed> kAboutDesign = {{IDC_PIC_ICON, about_design::picIcon},
                                          {IDC_LBL_TITLE, about_design::lblTitle},
                                          {IDC_LBL_VERSION, about_design::lblVersion},
                                          {IDC_LBL_DESCRIPTION, about_design::lblDescription},
                                          {IDC_LBL_CONTACT_EMAIL, about_design::lblContactEmail},
                                          {IDC_LBL_CONTACT_WWW, about_design::lblContactWWW},
                                          {IDC_LBL_DISCLAIMER, about_design::lblDisclaimer},
                                          {IDC_CMD_OK, about_design::cmdOK}};

// The em each control's font should have: 18 pt for the title, 8.25 pt for the links, 8 pt
// for the rest.
double PointsOf(int id) {
    switch (id) {
    case IDC_LBL_TITLE:
        return about_design::kTitleFontSize / 100.0;
    case IDC_LBL_CONTACT_EMAIL:
    case IDC_LBL_CONTACT_WWW:
        return about_design::kLinkFontSize / 100.0;
    default:
        return about_design::kStandardFontSize / 100.0;
    }
}

void ExpectAboutLayout(HWND box, UINT at) {
    ExpectScaled(ClientSize(box).cx, about_design::kClientWidth, at, "About client width");
    ExpectScaled(ClientSize(box).cy, about_design::kClientHeight, at, "About client height");
    for (const Placed& placed : kAboutDesign) {
        ExpectControlAt(box, placed.id, placed.twips, at);
    }
}

void ExpectAboutFonts(HWND box, UINT at) {
    for (int id : kAboutIds) {
        if (id != IDC_PIC_ICON) {
            EXPECT_NEAR(MeasureIn(GetDlgItem(box, id), "x").em(), EmFor(PointsOf(id), at), 1)
                << "control " << id << " at " << at;
        }
    }
}

TEST_F(AtScreenDpi, AboutBoxControlsAreTheDesignScaled) {
    OpenMain();
    OpenAbout();
    ExpectAboutLayout(about, dpi);
}

TEST_F(AtScreenDpi, AboutBoxFontsGrowWithTheDpi) {
    OpenMain();
    OpenAbout();
    ExpectAboutFonts(about, dpi);
    LOGFONTA title{};
    GetObjectA(FontOf(GetDlgItem(about, IDC_LBL_TITLE)), sizeof title, &title);
    EXPECT_GE(title.lfWeight, FW_BOLD);
    LOGFONTA link{};
    GetObjectA(FontOf(GetDlgItem(about, IDC_LBL_CONTACT_WWW)), sizeof link, &link);
    EXPECT_TRUE(link.lfUnderline);
}

TEST_F(AtScreenDpi, AboutBoxTextIsNotCut) {
    OpenMain();
    OpenAbout();
    for (int id : {IDC_LBL_TITLE, IDC_LBL_VERSION, IDC_LBL_CONTACT_EMAIL, IDC_LBL_CONTACT_WWW}) {
        HWND label = GetDlgItem(about, id);
        const Measure text = MeasureIn(label, Text(label));
        EXPECT_LE(text.extent.cx, ClientSize(label).cx) << Text(label);
        EXPECT_LE(text.extent.cy, ClientSize(label).cy) << Text(label);
    }
    // The wrapping labels: every line of the text, broken at words, inside the label.
    for (int id : {IDC_LBL_DESCRIPTION, IDC_LBL_DISCLAIMER}) {
        HWND label = GetDlgItem(about, id);
        RECT needed{0, 0, ClientSize(label).cx, 0};
        const std::string text = Text(label);
        {
            WindowDc dc(label);
            dc.Select(FontOf(label));
            DrawTextA(dc.get(), text.c_str(), -1, &needed,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        }
        EXPECT_LE(needed.right, ClientSize(label).cx) << text;
        EXPECT_LE(needed.bottom, ClientSize(label).cy) << text;
    }
    HWND ok = GetDlgItem(about, IDC_CMD_OK);
    const Measure text = MeasureIn(ok, "OK");
    const int edge = MulDiv(2, static_cast<int>(dpi), 96);
    EXPECT_LE(text.extent.cx + 4 * edge, ClientSize(ok).cx);
    EXPECT_LE(text.extent.cy + 2 * edge, ClientSize(ok).cy);
}

TEST_F(AtScreenDpi, AboutBoxSeparatorLineScales) {
    OpenMain();
    OpenAbout();
    SetForegroundWindow(about);
    RedrawWindow(about, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(50);
    // The grey line on the design's row, from x 90 to 5654 twips.
    const int row = static_cast<int>(std::lround(Scaled(2280, dpi)));
    const long from = std::lround(Scaled(90, dpi));
    const long to = std::lround(Scaled(5654, dpi));
    const WindowDc dc(about);
    int grey = 0;
    int greyElsewhere = 0;
    for (long x = 0; x < ClientSize(about).cx; ++x) {
        const bool onLine = GetPixel(dc.get(), x, row) == RGB(128, 128, 128);
        (x >= from && x < to ? grey : greyElsewhere) += onLine ? 1 : 0;
    }
    EXPECT_GE(grey, to - from - 2) << "the separator spans its scaled length on row " << row;
    EXPECT_LE(greyElsewhere, 2);
}

TEST_F(AtScreenDpi, AboutBoxFollowsAMoveToAnotherDpiAndBack) {
    OpenMain();
    OpenAbout();
    const Layout before = LayoutOf(about, kAboutIds);
    RECT original{};
    GetWindowRect(about, &original);
    const UINT other = OtherDpi(dpi);

    const RECT suggested =
        SuggestedRect(about, {original.left - 3, original.top + 4},
                      {about_design::kClientWidth, about_design::kClientHeight}, other, false);
    SendDpiChanged(about, other, suggested);
    RECT now{};
    GetWindowRect(about, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    for (const Placed& placed : kAboutDesign) {
        ExpectControlAt(about, placed.id, placed.twips, other);
    }
    ExpectAboutFonts(about, other);
    for (HFONT old : before.fonts) {
        if (old != nullptr) {
            EXPECT_EQ(GetObjectType(old), 0u) << "the fonts made for the old dpi are deleted";
        }
    }
    const Layout moved = LayoutOf(about, kAboutIds);

    SendDpiChanged(about, dpi, original);
    GetWindowRect(about, &now);
    EXPECT_TRUE(EqualRect(&now, &original));
    EXPECT_TRUE(SameRects(LayoutOf(about, kAboutIds), before));
    ExpectAboutFonts(about, dpi);
    for (HFONT old : moved.fonts) {
        if (old != nullptr) {
            EXPECT_EQ(GetObjectType(old), 0u);
        }
    }
}

TEST_F(AtScreenDpi, ClosingTheWindowsDeletesTheirFonts) {
    OpenMain();
    OpenAbout();
    std::vector<HFONT> fonts;
    for (int id : kAboutIds) {
        fonts.push_back(FontOf(GetDlgItem(about, id)));
    }
    fonts.push_back(FontOf(GetDlgItem(form, IDC_TXT_EMAIL_ALIAS)));
    DestroyWindow(about);
    DestroyWindow(form);
    PumpFor(10);
    for (HFONT font : fonts) {
        if (font != nullptr) {
            EXPECT_EQ(GetObjectType(font), 0u);
        }
    }
}

} // namespace
