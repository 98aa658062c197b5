// The About box, driven in-process through real messages: its content and geometry, colours,
// fonts and painting, the links through Wine's shell, and the modal run from Help > About...
// and F1 with every way of closing it.
#include "launcher/bas_varnel.h"
#include "platform/message_pump.h"
#include "platform/win32_raii.h"
#include "resources/resource_ids.h"
#include "support/main_window.h"
#include "support/recorded_links.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_about.h"
#include "ui/frm_about_layout.h"
#include "ui/frm_varnel.h"
#include "ui/frm_varnel_events.h"
#include "version.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using test_support::ClassOf;
using test_support::MemoryDc;
using test_support::PumpFor;
using test_support::PumpUntil;
using test_support::Text;
using test_support::ThreadWindows;
using test_support::ToolTipOf;
using test_support::ToolTipText;
using test_support::WindowDc;

constexpr const char* kDescription = "Varnel is used to dynamically create Microsoft Outlook "
                                     "profiles. It is perfect for the roaming user.";

std::vector<HWND> AboutBoxes() {
    std::vector<HWND> boxes;
    for (HWND window : ThreadWindows()) {
        if (ClassOf(window) == kFrmAboutClassName) {
            boxes.push_back(window);
        }
    }
    return boxes;
}

// A control's rectangle in pixels relative to the box's client area: left, top, width, height.
std::vector<int> PixelsOf(HWND box, int id) {
    const RECT rect = test_support::RectIn(box, id);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

LOGFONTA LogFontOf(HWND control) {
    LOGFONTA face{};
    GetObjectA(test_support::FontOf(control), sizeof face, &face);
    return face;
}

// Everything the box shows that can be read back: texts, rectangles, icon.
struct Snapshot {
    std::vector<std::string> texts;
    std::vector<std::vector<int>> rects;
    LRESULT icon = 0;
    bool operator==(const Snapshot&) const = default;
};

constexpr int kControls[] = {
    IDC_PIC_ICON,          IDC_LBL_TITLE,       IDC_LBL_VERSION,    IDC_LBL_DESCRIPTION,
    IDC_LBL_CONTACT_EMAIL, IDC_LBL_CONTACT_WWW, IDC_LBL_DISCLAIMER, IDC_CMD_OK};

Snapshot SnapshotOf(HWND box) {
    Snapshot shot;
    shot.texts.push_back(Text(box));
    for (int id : kControls) {
        shot.texts.push_back(Text(GetDlgItem(box, id)));
        shot.rects.push_back(PixelsOf(box, id));
    }
    shot.icon = SendMessageA(GetDlgItem(box, IDC_PIC_ICON), STM_GETICON, 0, 0);
    return shot;
}

RECT ClientRectOf(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

// The box's client area as the screen shows it, read pixel by pixel.
class ClientImage {
  public:
    explicit ClientImage(HWND window)
        : client_(ClientRectOf(window)), image_(client_.right, client_.bottom) {
        BitBlt(image_.get(), 0, 0, client_.right, client_.bottom, WindowDc(window).get(), 0, 0,
               SRCCOPY);
    }
    COLORREF At(int x, int y) const { return GetPixel(image_.get(), x, y); }
    // How many pixels of the rectangle (left, top, width, height) have the colour.
    int Count(const std::vector<int>& rect, COLORREF colour) const {
        int count = 0;
        for (int y = rect[1]; y < rect[1] + rect[3]; ++y) {
            for (int x = rect[0]; x < rect[0] + rect[2]; ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

  private:
    RECT client_;
    MemoryDc image_;
};

// The topmost row that a cursor's 32 x 32 image draws on, and the columns it draws there.
// A pixel belongs to the image when drawing the cursor on black and on white changes it.
struct Fingertip {
    int row = -1;
    int firstColumn = -1;
    int lastColumn = -1;
};

Fingertip FingertipOf(HCURSOR cursor) {
    const MemoryDc onBlack(32, 32);
    const MemoryDc onWhite(32, 32);
    const RECT all{0, 0, 32, 32};
    FillRect(onBlack.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(onWhite.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (HDC dc : {onBlack.get(), onWhite.get()}) {
        DrawIconEx(dc, 0, 0, cursor, 32, 32, 0, nullptr, DI_NORMAL);
    }
    Fingertip tip;
    for (int y = 0; y < 32 && tip.row < 0; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (GetPixel(onBlack.get(), x, y) != RGB(0, 0, 0) ||
                GetPixel(onWhite.get(), x, y) != RGB(255, 255, 255)) {
                if (tip.row < 0) {
                    tip.row = y;
                    tip.firstColumn = x;
                }
                tip.lastColumn = x;
            }
        }
    }
    return tip;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class AboutBox : public test_support::MainWindowTest {
  protected:
    void SetUp() override {
        OpenMain({});
        main = form;
    }
    // A box opened the way the modal run opens it, but left to the test.
    HWND Open() {
        HWND box = CreateFrmAbout(main);
        EXPECT_NE(box, nullptr);
        ShowWindow(box, SW_SHOWNORMAL);
        UpdateWindow(box);
        PumpFor(50);
        return box;
    }
    HWND main = nullptr;
};

// ---- content --------------------------------------------------------------------------------

TEST_F(AboutBox, ShowsTheProgramsIdentityUnderAnEmptyTitle) {
    HWND box = Open();
    EXPECT_EQ(GetWindowTextLengthA(box), 0);
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_TITLE)), "Varnel");
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_TITLE)), Text(main)) << "the main window's caption";
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_VERSION)), test_support::ShownVersion());
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_DESCRIPTION)), kDescription);
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_DISCLAIMER)), VARNEL_COPYRIGHT);
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_CONTACT_EMAIL)), "varnel@example.com");
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_CONTACT_WWW)), "www.example.org");
    EXPECT_EQ(Text(GetDlgItem(box, IDC_CMD_OK)), "OK");
}

TEST_F(AboutBox, VersionDescriptionAndCopyrightAreThoseOfTheVersionResource) {
    const FileVersionInfo own = ReadFileVersionInfo(GetModuleHandleA(nullptr));
    ASSERT_TRUE(own.found);
    EXPECT_EQ(own.fileVersionMS, 0x10000u * VARNEL_VERSION_MAJOR + VARNEL_VERSION_MINOR);
    EXPECT_EQ(own.fileVersionLS, 0x10000u * VARNEL_VERSION_BUILD + VARNEL_VERSION_REVISION);
    EXPECT_EQ(own.comments, kDescription);
    EXPECT_FALSE(own.legalCopyright.empty());

    HWND box = Open();
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_VERSION)),
              VersionLine(own.fileVersionMS, own.fileVersionLS));
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_DESCRIPTION)), own.comments);
    EXPECT_EQ(Text(GetDlgItem(box, IDC_LBL_DISCLAIMER)), own.legalCopyright);

    // A program without a version resource gives nothing rather than made-up numbers.
    const FileVersionInfo none =
        ReadFileVersionInfo(test_support::Wide(test_support::BuildPath("bin\\url_recorder.exe")));
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.comments.empty());
    EXPECT_TRUE(none.legalCopyright.empty());
}

TEST_F(AboutBox, TakesTheMainWindowsIconForItselfAndThePicture) {
    HWND box = Open();
    const auto mainIcon = reinterpret_cast<HICON>(GetClassLongPtrA(main, GCLP_HICON));
    ASSERT_NE(mainIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(box, WM_GETICON, ICON_BIG, 0)), mainIcon);
    EXPECT_EQ(
        reinterpret_cast<HICON>(SendMessageA(GetDlgItem(box, IDC_PIC_ICON), STM_GETICON, 0, 0)),
        mainIcon);
}

// ---- frame and geometry (96 dpi: a pixel is 15 twips) ----------------------------------------

TEST_F(AboutBox, FixedFrameWithoutMinimiseOrMaximiseCentredOverTheMainWindow) {
    // Away from the screen's centre, so that centring on the screen would show.
    SetWindowPos(main, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND box = Open();
    const LONG style = GetWindowLongA(box, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);

    RECT outer{}, over{};
    GetWindowRect(box, &outer);
    GetWindowRect(main, &over);
    EXPECT_NEAR((outer.left + outer.right) / 2.0, (over.left + over.right) / 2.0, 1.0);
    EXPECT_NEAR((outer.top + outer.bottom) / 2.0, (over.top + over.bottom) / 2.0, 1.0);
}

TEST_F(AboutBox, StaysOnTheScreenOverAMainWindowInTheCorner) {
    // Centred over a main window in the top left corner, the box would start off the screen.
    SetWindowPos(main, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND box = Open();
    RECT outer{};
    GetWindowRect(box, &outer);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(outer.left, work.left);
    EXPECT_EQ(outer.top, work.top);
}

TEST_F(AboutBox, ControlsSitWhereTheDesignPutsThem) {
    HWND box = Open();
    ASSERT_EQ(GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSY), 96)
        << "the expectations are for 96 dpi";

    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 382);
    EXPECT_EQ(client.bottom, 237);
    using R = std::vector<int>;
    EXPECT_EQ(PixelsOf(box, IDC_PIC_ICON), (R{16, 16, 36, 36}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_TITLE), (R{70, 16, 259, 32}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_VERSION), (R{70, 52, 259, 15}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_DESCRIPTION), (R{70, 75, 259, 30}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_CONTACT_EMAIL), (R{24, 128, 153, 17}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_CONTACT_WWW), (R{248, 128, 113, 17}));
    EXPECT_EQ(PixelsOf(box, IDC_LBL_DISCLAIMER), (R{17, 159, 258, 71}));
    EXPECT_EQ(PixelsOf(box, IDC_CMD_OK), (R{283, 175, 84, 23}));
}

TEST_F(AboutBox, FontsOfTheTitleTheLinksAndTheRest) {
    HWND box = Open();
    const LOGFONTA title = LogFontOf(GetDlgItem(box, IDC_LBL_TITLE));
    // Where the bitmap "MS Sans Serif" has no 18 pt, a scalable sans-serif face stands in, so
    // the title really is drawn at 18 pt.
    const std::string titleFace = title.lfFaceName;
    EXPECT_TRUE(titleFace == "MS Sans Serif" || titleFace == "Microsoft Sans Serif" ||
                titleFace == "Tahoma" || titleFace == "Arial")
        << titleFace;
    EXPECT_EQ(title.lfHeight, -24); // 18 pt
    HWND titleLabel = GetDlgItem(box, IDC_LBL_TITLE);
    TEXTMETRICA drawn{};
    {
        WindowDc dc(titleLabel);
        dc.Select(test_support::FontOf(titleLabel));
        GetTextMetricsA(dc.get(), &drawn);
    }
    EXPECT_NEAR(drawn.tmHeight - drawn.tmInternalLeading, 24, 1) << "the title is drawn at 18 pt";
    EXPECT_GE(title.lfWeight, FW_BOLD);
    EXPECT_FALSE(title.lfUnderline);
    for (int id : {IDC_LBL_CONTACT_EMAIL, IDC_LBL_CONTACT_WWW}) {
        const LOGFONTA link = LogFontOf(GetDlgItem(box, id));
        EXPECT_STREQ(link.lfFaceName, "MS Sans Serif") << id;
        EXPECT_EQ(link.lfHeight, -11) << id; // 8.25 pt
        EXPECT_TRUE(link.lfUnderline) << id;
        EXPECT_LT(link.lfWeight, FW_BOLD) << id;
    }
    for (int id : {IDC_LBL_VERSION, IDC_LBL_DESCRIPTION, IDC_LBL_DISCLAIMER, IDC_CMD_OK}) {
        const LOGFONTA standard = LogFontOf(GetDlgItem(box, id));
        EXPECT_STREQ(standard.lfFaceName, "MS Sans Serif") << id;
        EXPECT_EQ(standard.lfHeight, -11) << id; // 8 pt
        EXPECT_FALSE(standard.lfUnderline) << id;
        EXPECT_LT(standard.lfWeight, FW_BOLD) << id;
    }
}

TEST_F(AboutBox, LabelsDrawOnWhiteInTheirColours) {
    HWND box = Open();
    const MemoryDc memory(1, 1);
    HDC dc = memory.get();
    const struct {
        int id;
        COLORREF text;
    } expected[] = {{IDC_LBL_TITLE, kBlue},       {IDC_LBL_CONTACT_EMAIL, kBlue},
                    {IDC_LBL_CONTACT_WWW, kBlue}, {IDC_LBL_DESCRIPTION, kBlack},
                    {IDC_LBL_DISCLAIMER, kBlack}, {IDC_LBL_VERSION, GetSysColor(COLOR_BTNTEXT)},
                    {IDC_PIC_ICON, kBlack}};
    for (const auto& control : expected) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(1, 2, 3));
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, control.id))));
        LOGBRUSH fill{};
        ASSERT_NE(GetObjectA(brush, sizeof fill, &fill), 0) << control.id;
        EXPECT_EQ(fill.lbColor, kWhite) << control.id;
        EXPECT_EQ(GetBkColor(dc), kWhite) << control.id;
        EXPECT_EQ(GetTextColor(dc), control.text) << control.id;
    }
}

TEST_F(AboutBox, PaintsOneWhitePanelWithTheSeparatorLine) {
    HWND box = Open();
    SetForegroundWindow(box);
    RedrawWindow(box, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(100);
    ClientImage image(box);

    // The grey separator on row 152 from x 6 to 376, the white highlight on rows 153 and 154.
    EXPECT_EQ(image.At(5, 152), kWhite);
    EXPECT_EQ(image.At(6, 152), kGrey);
    EXPECT_EQ(image.At(200, 152), kGrey);
    EXPECT_EQ(image.At(376, 152), kGrey);
    EXPECT_EQ(image.At(377, 152), kWhite);
    for (int y : {151, 153, 154, 155}) {
        EXPECT_EQ(image.At(200, y), kWhite) << "row " << y;
    }
    EXPECT_EQ(image.Count({0, 152, 382, 1}, kGrey), 371);

    // White everywhere around and inside the controls, text in its colours.
    EXPECT_EQ(image.At(2, 2), kWhite);
    EXPECT_EQ(image.At(380, 235), kWhite);
    EXPECT_EQ(image.Count({0, 0, 382, 16}, kWhite), 382 * 16) << "the strip above the controls";
    EXPECT_EQ(image.At(17 + 255, 159 + 68), kWhite) << "inside the disclaimer, past its text";
    EXPECT_EQ(image.At(70 + 255, 52 + 12), kWhite) << "inside the version label, past its text";
    EXPECT_GT(image.Count(PixelsOf(box, IDC_LBL_TITLE), kBlue), 50);
    EXPECT_GT(image.Count(PixelsOf(box, IDC_LBL_CONTACT_EMAIL), kBlue), 50);
    EXPECT_GT(image.Count(PixelsOf(box, IDC_LBL_CONTACT_WWW), kBlue), 50);
    EXPECT_GT(image.Count(PixelsOf(box, IDC_LBL_DESCRIPTION), kBlack), 50);
    EXPECT_GT(image.Count(PixelsOf(box, IDC_LBL_DISCLAIMER), kBlack), 50);
    const std::vector<int> icon = PixelsOf(box, IDC_PIC_ICON);
    EXPECT_GT(icon[2] * icon[3] - image.Count(icon, kWhite), 100) << "the icon is drawn";
}

TEST_F(AboutBox, DescriptionWrapsInsideItsLabel) {
    HWND box = Open();
    HWND label = GetDlgItem(box, IDC_LBL_DESCRIPTION);
    RECT rect{};
    GetClientRect(label, &rect);
    const int width = rect.right;
    const std::string text = Text(label);
    {
        WindowDc dc(label);
        dc.Select(test_support::FontOf(label));
        DrawTextA(dc.get(), text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    EXPECT_LE(rect.right, width) << "word-wrapped within the label's width";
    EXPECT_LE(rect.bottom, 30) << "the whole description fits the label's height";
    EXPECT_EQ(GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK, SS_LEFT) << "a wrapping label";
}

// ---- pointer, tool tips, keyboard -----------------------------------------------------------

TEST_F(AboutBox, LinksShowAPointingHandWithItsHotSpotAtTheFingertip) {
    HWND box = Open();
    const HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)); // IDC_HAND
    const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    ASSERT_NE(hand, nullptr);
    for (int id : {IDC_LBL_CONTACT_EMAIL, IDC_LBL_CONTACT_WWW}) {
        HWND link = GetDlgItem(box, id);
        SetCursor(arrow);
        // The pointer over the label: the label hands the question to the box.
        EXPECT_NE(SendMessageA(link, WM_NCHITTEST, 0, 0), HTTRANSPARENT) << id;
        SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), hand) << id;
    }
    // Anywhere else in the box: the ordinary arrow.
    SetCursor(hand);
    SendMessageA(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow);

    // The hot spot is where the image begins at the top: the fingertip of the pointing hand.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    EXPECT_FALSE(info.fIcon);
    const Fingertip tip = FingertipOf(hand);
    ASSERT_GE(tip.row, 0) << "the cursor draws something";
    EXPECT_EQ(static_cast<int>(info.yHotspot), tip.row);
    EXPECT_GE(static_cast<int>(info.xHotspot), tip.firstColumn)
        << "fingertip ends at " << tip.lastColumn;
    EXPECT_LE(static_cast<int>(info.xHotspot), tip.lastColumn)
        << "fingertip starts at " << tip.firstColumn;
}

TEST_F(AboutBox, LinksHaveTheirToolTips) {
    HWND box = Open();
    HWND tips = ToolTipOf(box);
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    const struct {
        int id;
        const char* tip;
    } expected[] = {{IDC_LBL_CONTACT_EMAIL, "Submit Email Message to Author"},
                    {IDC_LBL_CONTACT_WWW, "Visit Author's Home Page"}};
    for (const auto& link : expected) {
        EXPECT_EQ(ToolTipText(tips, box, GetDlgItem(box, link.id)), link.tip) << link.id;
    }
}

TEST_F(AboutBox, OkIsTheFocusedDefaultButtonAndTheOnlyTabStop) {
    HWND box = Open();
    HWND ok = GetDlgItem(box, IDC_CMD_OK);
    EXPECT_EQ(GetFocus(), ok);
    EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)), IDC_CMD_OK);
    EXPECT_EQ(GetNextDlgTabItem(box, ok, FALSE), ok);
    PostMessageA(ok, WM_KEYDOWN, VK_TAB, 1);
    PumpFor(20);
    EXPECT_EQ(GetFocus(), ok);
    for (int id : kControls) {
        if (id != IDC_CMD_OK) {
            EXPECT_FALSE(GetWindowLongA(GetDlgItem(box, id), GWL_STYLE) & WS_TABSTOP) << id;
        }
    }
}

// ---- the links ------------------------------------------------------------------------------

class AboutLinks : public AboutBox {
  protected:
    // A click on the label, through the label's own mouse handling.
    static void Click(HWND label) {
        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    test_support::RecordedLinks links{{"mailto", "http"}};
};

TEST_F(AboutLinks, TheEmailAddressOpensAsMailtoAndTheBoxStays) {
    HWND box = Open();
    Click(GetDlgItem(box, IDC_LBL_CONTACT_EMAIL));
    EXPECT_EQ(links.WaitFor(1, 10000), std::vector<std::string>{"mailto:varnel@example.com"});
    EXPECT_TRUE(IsWindow(box));
    EXPECT_TRUE(IsWindowVisible(box));
}

TEST_F(AboutLinks, TheHomePageOpensAsHttpAndTheBoxStays) {
    HWND box = Open();
    Click(GetDlgItem(box, IDC_LBL_CONTACT_WWW));
    EXPECT_EQ(links.WaitFor(1, 10000), std::vector<std::string>{"http://www.example.org"});
    EXPECT_TRUE(IsWindow(box));
    EXPECT_TRUE(IsWindowVisible(box));
}

TEST_F(AboutLinks, ALinkOpensExactlyTheLabelsCurrentCaption) {
    HWND box = Open();
    SetWindowTextA(GetDlgItem(box, IDC_LBL_CONTACT_EMAIL), "someone.else@example.net");
    SetWindowTextA(GetDlgItem(box, IDC_LBL_CONTACT_WWW), "varnel.example.net");
    Click(GetDlgItem(box, IDC_LBL_CONTACT_EMAIL));
    ASSERT_EQ(links.WaitFor(1, 10000).size(), 1u);
    Click(GetDlgItem(box, IDC_LBL_CONTACT_WWW));
    EXPECT_EQ(links.WaitFor(2, 10000), (std::vector<std::string>{"mailto:someone.else@example.net",
                                                                 "http://varnel.example.net"}));
}

TEST_F(AboutLinks, ARealMouseClickOnTheLinkOpensIt) {
    HWND box = Open();
    SetForegroundWindow(box);
    RECT link{};
    GetWindowRect(GetDlgItem(box, IDC_LBL_CONTACT_WWW), &link);
    // Absolute coordinates on the primary screen run from 0 to 65535.
    const LONG x = MulDiv(link.left + 4, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    const LONG y = MulDiv(link.top + 6, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    INPUT mouse[3] = {};
    for (INPUT& input : mouse) {
        input.type = INPUT_MOUSE;
        input.mi.dx = x;
        input.mi.dy = y;
    }
    mouse[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    mouse[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    mouse[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &mouse[0], sizeof(INPUT));
    // The pointer moves through the display server: give it up to a second to arrive.
    const POINT target{link.left + 4, link.top + 6};
    POINT at{};
    for (int waited = 0;
         waited < 1000 && !(GetCursorPos(&at) && at.x == target.x && at.y == target.y);
         waited += 20) {
        PumpFor(20);
    }
    HWND under = WindowFromPoint(target);
    DWORD underProcess = 0;
    GetWindowThreadProcessId(under, &underProcess);
    ASSERT_EQ(under, GetDlgItem(box, IDC_LBL_CONTACT_WWW))
        << "the pointer is at " << at.x << "," << at.y << " over a window of class "
        << ClassOf(under) << " of process " << underProcess << " (ours: " << GetCurrentProcessId()
        << ")";
    PumpFor(100);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)))
        << "the hand while over the link";
    SendInput(2, &mouse[1], sizeof(INPUT));
    EXPECT_EQ(links.WaitFor(1, 10000), std::vector<std::string>{"http://www.example.org"});
    EXPECT_TRUE(IsWindowVisible(box));
}

// ---- the modal run --------------------------------------------------------------------------

// Drives a modal run from inside it, a step every 100 ms: looks at the box and the main
// window, then acts. If the box is still there seconds later, it is closed by force and the
// test fails, so that no fault can hang the test.
class AboutRun {
  public:
    using Step = std::function<void(HWND box)>;
    AboutRun(HWND main, const std::vector<Step>& steps)
        : main_(main), driver_(FirstAboutBox, Noting(steps), CloseAboutBoxes, 100) {}

    int boxesSeen = 0; // boxes shown at the first step
    bool mainEnabledWhileOpen = true;
    bool okFocused = false;
    std::vector<Snapshot> shots; // what the box showed at each step
    bool forcedClose() const { return driver_.forced; }

  private:
    static HWND FirstAboutBox() {
        const std::vector<HWND> boxes = AboutBoxes();
        return boxes.empty() ? nullptr : boxes.front();
    }
    static void CloseAboutBoxes() {
        for (HWND box : AboutBoxes()) {
            DestroyWindow(box);
        }
    }
    std::vector<test_support::ModalDriver::Step> Noting(const std::vector<Step>& steps) {
        std::vector<test_support::ModalDriver::Step> noting;
        for (const Step& step : steps) {
            noting.push_back([this, step, first = noting.empty()](HWND box) {
                if (first) {
                    boxesSeen = static_cast<int>(AboutBoxes().size());
                    mainEnabledWhileOpen = IsWindowEnabled(main_) != FALSE;
                    okFocused = GetFocus() == GetDlgItem(box, IDC_CMD_OK);
                }
                shots.push_back(SnapshotOf(box));
                step(box);
                return true;
            });
        }
        return noting;
    }
    HWND main_;
    test_support::ModalDriver driver_;
};

void PressKey(WORD key) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = key;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

struct Closer {
    const char* name;
    AboutRun::Step close;
};

void PrintTo(const Closer& closer, std::ostream* out) {
    *out << closer.name;
}

class AboutModal : public AboutBox, public ::testing::WithParamInterface<Closer> {};

TEST_P(AboutModal, BlocksTheMainWindowUntilClosedThenGivesItBackTheFocus) {
    AboutRun driver(main, {GetParam().close});
    mnuHAbout_Click(main);
    EXPECT_EQ(driver.boxesSeen, 1);
    EXPECT_FALSE(driver.mainEnabledWhileOpen);
    EXPECT_TRUE(driver.okFocused);
    EXPECT_FALSE(driver.forcedClose()) << GetParam().name << " did not close the box";
    EXPECT_TRUE(AboutBoxes().empty());
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main);
    ASSERT_EQ(driver.shots.size(), 1u);
    EXPECT_EQ(driver.shots[0].texts[3], test_support::ShownVersion());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayToClose, AboutModal,
    ::testing::Values(
        Closer{"Enter",
               [](HWND) {
                   PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
                   PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 1 | (3u << 30));
               }},
        Closer{"Esc", [](HWND) { PressKey(VK_ESCAPE); }},
        Closer{"OK", [](HWND box) { SendMessageA(GetDlgItem(box, IDC_CMD_OK), BM_CLICK, 0, 0); }},
        Closer{"CloseBox", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const ::testing::TestParamInfo<Closer>& info) { return std::string(info.param.name); });

TEST_F(AboutBox, ClosingLeavesNoWindowBehind) {
    const std::vector<HWND> before = ThreadWindows();
    for (int round = 0; round < 3; ++round) {
        HWND opened = nullptr;
        bool hadToolTip = false;
        AboutRun driver(main, {[&](HWND box) {
                            opened = box;
                            hadToolTip = ToolTipOf(box) != nullptr;
                            SendMessageA(GetDlgItem(box, IDC_CMD_OK), BM_CLICK, 0, 0);
                        }});
        mnuHAbout_Click(main);
        PumpFor(20);
        EXPECT_TRUE(hadToolTip);
        EXPECT_FALSE(IsWindow(opened));
    }
    EXPECT_EQ(ThreadWindows().size(), before.size()) << "no box or tool tip is left over";
}

TEST_F(AboutBox, F1OnTheMainWindowOpensItAndF1InsideOpensNoSecondBox) {
    int boxesAfterSecondF1 = 0;
    AboutRun driver(main, {[](HWND) { PressKey(VK_F1); },
                           [&](HWND) {
                               boxesAfterSecondF1 = static_cast<int>(AboutBoxes().size());
                               PressKey(VK_ESCAPE);
                           }});
    SetForegroundWindow(main);
    PumpFor(20);
    PressKey(VK_F1); // handled by the main window's own message handling
    EXPECT_TRUE(PumpUntil([&] { return !driver.shots.empty() && AboutBoxes().empty(); }, 8000));
    EXPECT_EQ(driver.boxesSeen, 1);
    EXPECT_FALSE(driver.mainEnabledWhileOpen);
    EXPECT_EQ(boxesAfterSecondF1, 1);
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(AboutBox, ASecondOpeningIsBuiltAfreshWithTheSameContent) {
    Snapshot first;
    {
        AboutRun driver(main, {[](HWND box) {
                            // Whatever happens to this box must not reach the next one.
                            SetWindowTextA(GetDlgItem(box, IDC_LBL_CONTACT_EMAIL), "changed");
                            SetWindowTextA(GetDlgItem(box, IDC_LBL_VERSION), "changed");
                            SendMessageA(GetDlgItem(box, IDC_CMD_OK), BM_CLICK, 0, 0);
                        }});
        mnuHAbout_Click(main);
        ASSERT_EQ(driver.shots.size(), 1u);
        EXPECT_FALSE(driver.forcedClose());
        first = driver.shots[0];
    }
    Snapshot second;
    {
        AboutRun driver(main, {[](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }});
        mnuHAbout_Click(main);
        ASSERT_EQ(driver.shots.size(), 1u);
        EXPECT_FALSE(driver.forcedClose());
        second = driver.shots[0];
    }
    EXPECT_EQ(second, first);
    EXPECT_EQ(second.texts[3], test_support::ShownVersion());
    EXPECT_EQ(second.texts[5], "varnel@example.com");
    EXPECT_NE(second.icon, 0);
}

TEST_F(AboutBox, InputStillQueuedForTheMainWindowDoesNotReachIt) {
    // Keys typed ahead of F1 sit in the queue addressed to the main window's alias box.
    HWND alias = GetDlgItem(main, IDC_TXT_EMAIL_ALIAS);
    const std::string before = Text(alias);
    bool stillOpen = false;
    AboutRun driver(main, {[&](HWND box) {
                        stillOpen = IsWindowVisible(box) != FALSE;
                        SendMessageA(GetDlgItem(box, IDC_CMD_OK), BM_CLICK, 0, 0);
                    }});
    PostMessageA(alias, WM_CHAR, 'x', 1);
    // Esc in the main window would end the program.
    PostMessageA(alias, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(alias, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    mnuHAbout_Click(main);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_EQ(Text(alias), before);
    MSG quit{};
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(QuitRequested());
}

TEST_F(AboutBox, TheMainWindowTakesKeysAgainOnceAnotherProgramClosedTheBoxWhileInactive) {
    HWND alias = GetDlgItem(main, IDC_TXT_EMAIL_ALIAS);
    UniqueWindow other;
    std::thread otherProgram;
    AboutRun driver(main, {[&](HWND box) {
                        other = test_support::ActivateAnotherWindow();
                        otherProgram = std::thread([box, alias] {
                            SendMessageA(box, WM_CLOSE, 0, 0);
                            PostMessageA(alias, WM_CHAR, 'x', 1); // the user's next key
                        });
                    }});
    mnuHAbout_Click(main);
    otherProgram.join();
    PumpFor(50);
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_NE(Text(alias).find('x'), std::string::npos) << Text(alias);
}

TEST_F(AboutBox, AQuitRequestClosesTheBoxAndReachesTheProgramsLoop) {
    AboutRun driver(main, {[](HWND) { PostQuitMessage(7); }});
    mnuHAbout_Click(main);
    // Taken before anything else pumps the queue: the request the modal loop passed on.
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
    EXPECT_FALSE(driver.forcedClose());
    EXPECT_TRUE(AboutBoxes().empty());
    EXPECT_TRUE(IsWindowEnabled(main));
}

} // namespace
