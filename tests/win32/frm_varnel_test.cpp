// The main window, driven in-process through real messages: its load, the location list and
// the server box, the alias, the advanced panel, the keyboard and the ways to close it.
#include "launcher/bas_varnel.h"
#include "launcher/outlook.h"
#include "platform/message_pump.h"
#include "resources/resource_ids.h"
#include "support/launch_fixture.h"
#include "support/main_window.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_varnel.h"
#include "ui/frm_varnel_design.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using launch_fixture::OutlookWindow;

namespace design = frm_varnel_design;
using test_support::MessageOf;
using test_support::ModalDriver;
using test_support::PumpFor;
using test_support::Text;
using test_support::VisibleThreadWindow;
using test_support::VisibleThreadWindows;
using test_support::WindowDc;

void ExpectAt(HWND form, int id, const TwipsRect& twips) {
    const RECT rect = test_support::RectIn(form, id);
    EXPECT_EQ(rect.left, twips.left / 15) << "control " << id;
    EXPECT_EQ(rect.top, twips.top / 15) << "control " << id;
    EXPECT_EQ(rect.right - rect.left, twips.width / 15) << "control " << id;
    EXPECT_EQ(rect.bottom - rect.top, twips.height / 15) << "control " << id;
}

// Counts the change notifications the server box sends, to see the cascade run once.
int serverChanges = 0;
WNDPROC formProc = nullptr;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_TXT_SERVER && HIWORD(wParam) == EN_CHANGE) {
        ++serverChanges;
    }
    return CallWindowProcA(formProc, window, message, wParam, lParam);
}

class MainWindow : public test_support::MainWindowTest {
  protected:
    // The user moves the list's selection with the keyboard, as with the arrow keys.
    void PressInList(WPARAM key) {
        SendMessageA(Item(IDC_CBO_MARKET), WM_KEYDOWN, key, 0);
        PumpFor(10);
    }
    void TypeInto(int id, const std::string& text) {
        SendMessageA(Item(id), EM_SETSEL, 0x7fff, 0x7fff); // after what is there
        for (char c : text) {
            SendMessageA(Item(id), WM_CHAR, static_cast<unsigned char>(c), 1);
        }
    }
    // A key pressed while the window is active goes through the program's message handling.
    void Press(WPARAM key, bool alt = false) {
        HWND target = GetFocus();
        if (alt) {
            PostMessageA(target, WM_SYSCHAR, key, 1 | (1 << 29));
        } else {
            PostMessageA(target, WM_KEYDOWN, key, 1);
            PostMessageA(target, WM_KEYUP, key, 1 | (3u << 30));
        }
        PumpFor(20);
    }
    std::string ListText(int index) const {
        char buffer[256] = {};
        SendMessageA(Item(IDC_CBO_MARKET), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
};

const std::vector<LocationEntry> kThree = {
    {"London", "LONMX01"}, {"Paris", "PARMX02"}, {"Oslo", "OSLMX01"}};

TEST_F(MainWindow, LoadsTheLocationsWithTheFirstSelected) {
    OpenMain(kThree);
    EXPECT_EQ(Text(form), "Varnel");
    HWND list = Item(IDC_CBO_MARKET);
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ListText(0), "London");
    EXPECT_EQ(ListText(1), "Paris");
    EXPECT_EQ(ListText(2), "Oslo");
    EXPECT_EQ(ListText(3), "[Other]");
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "LONMX01");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_LBL_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_EMAIL_ALIAS)), "jdoe");
    EXPECT_EQ(EmailAlias, "jdoe");
    EXPECT_EQ(ServerForLocation(-1), "") << "a catalogue server never reaches the manual row";
    EXPECT_EQ(GetFocus(), Item(IDC_TXT_EMAIL_ALIAS));
}

TEST_F(MainWindow, AnEmptyCatalogueOffersOnlyOtherWithAnOpenServerBox) {
    OpenMain({}, "");
    HWND list = Item(IDC_CBO_MARKET);
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ListText(0), "[Other]");
    EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_LBL_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "");
    EXPECT_EQ(Text(Item(IDC_TXT_EMAIL_ALIAS)), "");
    EXPECT_EQ(EmailAlias, "");
}

TEST_F(MainWindow, TheSwitchButtonsAndTheHiddenPanel) {
    OpenMain(kThree);
    const char* captions[] = {"(none)", "/cleanfreebusy",  "/cleanschedplus",
                              "",       "/cleanreminders", "/resetfolders"};
    for (int i = 0; i < 6; ++i) {
        HWND option = Item(IDC_OPT_ADVANCED_0 + i);
        EXPECT_EQ(Text(option), captions[i]);
        EXPECT_EQ(SendMessageA(option, BM_GETCHECK, 0, 0), i == 0 ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_FALSE(IsWindowVisible(option)) << "the panel is hidden at start";
    }
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_OPT_ADVANCED_0 + 3)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_FRA_ADV_OPTIONS)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FRA_ADV_OPTIONS)));
    EXPECT_EQ(GetMenuState(GetMenu(form), IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED,
              0u);
}

TEST_F(MainWindow, ControlsStandWhereTheDesignPutsThem) {
    OpenMain(kThree);
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, design::kClientWidth / 15);
    EXPECT_EQ(client.bottom, (design::kClientHeight - 1440) / 15);
    ExpectAt(form, IDC_FRA_PROFILE, design::fraProfile);
    ExpectAt(form, IDC_LBL_ALIAS, design::lblAlias);
    ExpectAt(form, IDC_TXT_EMAIL_ALIAS, design::txtEmailAlias);
    ExpectAt(form, IDC_LBL_LOCATION, design::lblLocation);
    ExpectAt(form, IDC_CBO_MARKET, design::cboMarket);
    ExpectAt(form, IDC_LBL_SERVER, design::lblServer);
    ExpectAt(form, IDC_TXT_SERVER, design::txtServer);
    ExpectAt(form, IDC_FRA_ADV_OPTIONS, design::fraAdvOptions);
    for (int i = 0; i < 6; ++i) {
        ExpectAt(form, IDC_OPT_ADVANCED_0 + i, design::OptAdvanced(i));
    }
    ExpectAt(form, IDC_CMD_LOGON, {120, 2040, 2775, 375});
    ExpectAt(form, IDC_CMD_CANCEL, {3000, 2040, 1215, 375});
    const LONG style = GetWindowLongA(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_NE(SendMessageA(form, WM_GETICON, ICON_BIG, 0) != 0 ||
                  GetClassLongPtrA(form, GCLP_HICON) != 0,
              0);
}

// Made once the message loop runs, after the first paint.
TEST_F(MainWindow, TheThreeFieldsHaveTheirToolTips) {
    OpenMain(kThree);
    const HWND tip = test_support::ToolTipOf(form);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
    for (const auto& [id, text] : {std::pair{IDC_TXT_EMAIL_ALIAS, "Enter your Email Alias"},
                                   std::pair{IDC_CBO_MARKET, "Select your Location"},
                                   std::pair{IDC_TXT_SERVER, "Enter Server Name"}}) {
        EXPECT_EQ(test_support::ToolTipText(tip, form, Item(id)), text) << id;
    }
}

TEST_F(MainWindow, OpensCentredOnTheWorkArea) {
    OpenMain(kThree);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer{};
    GetWindowRect(form, &outer);
    EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 1);
}

TEST_F(MainWindow, TheAdvancedPanelTogglesAndRestoresTheHeightExactly) {
    OpenMain(kThree);
    RECT before{};
    GetWindowRect(form, &before);
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    EXPECT_NE(GetMenuState(GetMenu(form), IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED,
              0u);
    EXPECT_TRUE(IsWindowVisible(Item(IDC_FRA_ADV_OPTIONS)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_OPT_ADVANCED_0 + 5)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_OPT_ADVANCED_0 + 3))) << "the blank slot stays hidden";
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_OPT_ADVANCED_0 + 3)));
    ExpectAt(form, IDC_CMD_LOGON, design::cmdLogon);
    ExpectAt(form, IDC_CMD_CANCEL, design::cmdCancel);
    RECT shown{};
    GetWindowRect(form, &shown);
    EXPECT_EQ((shown.bottom - shown.top) - (before.bottom - before.top), 1440 / 15);
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.bottom, design::kClientHeight / 15);

    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    RECT after{};
    GetWindowRect(form, &after);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    ExpectAt(form, IDC_CMD_LOGON, {120, 2040, 2775, 375});
    EXPECT_FALSE(IsWindowVisible(Item(IDC_OPT_ADVANCED_0)));
}

TEST_F(MainWindow, AChosenSwitchSurvivesHidingThePanel) {
    OpenMain(kThree);
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    SendMessageA(Item(IDC_OPT_ADVANCED_0 + 5), BM_CLICK, 0, 0);
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    EXPECT_TRUE(FrmVarnel_OptionSelected(form, 5));
    EXPECT_FALSE(FrmVarnel_OptionSelected(form, 0));
    EXPECT_EQ(FrmVarnel_OptionCaption(form, 5), "/resetfolders");
}

TEST_F(MainWindow, TheServerTypedUnderOtherComesBack) {
    OpenMain(kThree);
    PressInList(VK_END);
    ASSERT_EQ(SendMessageA(Item(IDC_CBO_MARKET), CB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "");
    TypeInto(IDC_TXT_SERVER, "MYSERVER");
    EXPECT_EQ(ServerForLocation(-1), "MYSERVER");
    PressInList(VK_HOME);
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "LONMX01");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_EQ(ServerForLocation(-1), "MYSERVER");
    PressInList(VK_END);
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "MYSERVER");
    EXPECT_EQ(FrmVarnel_ServerText(form), "MYSERVER");
}

TEST_F(MainWindow, ASelectionRunsTheServerChangeOnce) {
    OpenMain(kThree);
    formProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    serverChanges = 0;
    PressInList(VK_DOWN);
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "PARMX02");
    EXPECT_EQ(serverChanges, 1);
    SetWindowLongPtrA(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
}

TEST_F(MainWindow, OnlyALocationNamedExactlyOtherActsAsTheManualEntry) {
    OpenMain({{"[Other]", "FILESRV"}, {"[other]", "LOWSRV"}});
    ASSERT_EQ(SendMessageA(Item(IDC_CBO_MARKET), CB_GETCOUNT, 0, 0), 3);
    // Position 0 is the catalogue's "[Other]": the manual row's (empty) server shows.
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "");
    TypeInto(IDC_TXT_SERVER, "TYPED");
    PressInList(VK_DOWN);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "LOWSRV");
    PressInList(VK_END);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "TYPED");
}

TEST_F(MainWindow, AnEmptyServerShowsAnEmptyDisabledBox) {
    OpenMain({{"Nowhere", ""}, {"London", "LONMX01"}});
    EXPECT_EQ(Text(Item(IDC_TXT_SERVER)), "");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TXT_SERVER)));
}

TEST_F(MainWindow, TheAliasFollowsTheBoxWhole) {
    OpenMain(kThree);
    TypeInto(IDC_TXT_EMAIL_ALIAS, " x ");
    EXPECT_EQ(EmailAlias, "jdoe x ");
    SetWindowTextA(Item(IDC_TXT_EMAIL_ALIAS), "");
    EXPECT_EQ(EmailAlias, "");
}

TEST_F(MainWindow, TabFollowsTheDesignOrder) {
    OpenMain({});
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    const int order[] = {IDC_CBO_MARKET, IDC_TXT_SERVER, IDC_OPT_ADVANCED_0,
                         IDC_CMD_LOGON,  IDC_CMD_CANCEL, IDC_TXT_EMAIL_ALIAS};
    for (int id : order) {
        Press(VK_TAB);
        EXPECT_EQ(GetFocus(), Item(id)) << "expected control " << id;
    }
}

TEST_F(MainWindow, TabSkipsTheLockedServerBoxAndTheHiddenPanel) {
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IDC_CBO_MARKET));
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IDC_CMD_LOGON));
}

TEST_F(MainWindow, LabelMnemonicsMoveToTheirControls) {
    OpenMain({});
    SetFocus(Item(IDC_CMD_LOGON));
    Press('l', true);
    EXPECT_EQ(GetFocus(), Item(IDC_CBO_MARKET));
    Press('s', true);
    EXPECT_EQ(GetFocus(), Item(IDC_TXT_SERVER));
    Press('e', true);
    EXPECT_EQ(GetFocus(), Item(IDC_TXT_EMAIL_ALIAS));
}

// ---- keyboard: mnemonics of the buttons and the menus, groups, visible focus -----------------

TEST_F(MainWindow, AltOPressesLaunchWhichFindsOutlookRunning) {
    const OutlookWindow outlook;
    ASSERT_NE(outlook.get(), nullptr) << outlook.Failure();
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    std::string caption;
    std::string message;
    bool launchLocked = false;
    ModalDriver inside([] { return VisibleThreadWindow("#32770"); }, {[&](HWND box) {
                           caption = Text(box);
                           message = MessageOf(box);
                           launchLocked = !IsWindowEnabled(Item(IDC_CMD_LOGON));
                           PostMessageA(box, WM_COMMAND, IDOK, 0);
                           return true;
                       }},
                       [] {
                           for (HWND box : VisibleThreadWindows("#32770")) {
                               PostMessageA(box, WM_COMMAND, IDOK, 0);
                           }
                       });
    Press('o', true);
    EXPECT_TRUE(test_support::PumpUntil([&] { return inside.done(); }, 6000));
    EXPECT_FALSE(inside.forced);
    EXPECT_EQ(message, "Microsoft Outlook is currently running.");
    EXPECT_EQ(caption, "Varnel");
    EXPECT_FALSE(launchLocked) << "the check comes before the buttons are locked";
    PumpFor(50);
    EXPECT_TRUE(VisibleThreadWindows("#32770").empty());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CMD_LOGON)));
    EXPECT_FALSE(QuitRequested());
}

TEST_F(MainWindow, AltXEndsTheProgramAsTheExitButtonDoes) {
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    Press('x', true);
    EXPECT_TRUE(QuitRequested());
    EXPECT_TRUE(IsWindow(form)) << "Exit ends the program without the window's close handling";
}

// The menu bar item that a menu mnemonic opened, seen from inside the menu's own loop.
struct OpenedMenu {
    bool inMenuMode = false;
    HWND owner = nullptr;
    HMENU popup = nullptr;
};

TEST_F(MainWindow, AltFVAndHOpenTheirMenus) {
    const struct {
        char key;
        int position;
    } menus[] = {{'f', 0}, {'v', 1}, {'h', 2}};
    for (const auto& menu : menus) {
        OpenMain(kThree);
        SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
        OpenedMenu opened;
        ModalDriver inside([] { return VisibleThreadWindow("#32768"); }, {[&](HWND popup) {
                               GUITHREADINFO info{};
                               info.cbSize = sizeof info;
                               GetGUIThreadInfo(GetCurrentThreadId(), &info);
                               opened.inMenuMode = (info.flags & GUI_INMENUMODE) != 0;
                               opened.owner = info.hwndMenuOwner;
                               opened.popup =
                                   reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
                               EndMenu();
                               return true;
                           }},
                           [] { EndMenu(); });
        Press(menu.key, true);
        EXPECT_TRUE(test_support::PumpUntil([&] { return inside.done(); }, 6000)) << menu.key;
        EXPECT_FALSE(inside.forced) << "Alt+" << menu.key << " opened no menu";
        EXPECT_TRUE(opened.inMenuMode) << menu.key;
        EXPECT_EQ(opened.owner, form) << menu.key;
        EXPECT_EQ(opened.popup, GetSubMenu(GetMenu(form), menu.position)) << menu.key;
        CloseMain();
    }
}

TEST_F(MainWindow, AltVThenAShowsTheAdvancedPanel) {
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    ModalDriver inside([] { return VisibleThreadWindow("#32768"); }, {[](HWND popup) {
                           // The item's own mnemonic, typed while its menu is open.
                           PostMessageA(popup, WM_KEYDOWN, 'A', 1);
                           PostMessageA(popup, WM_KEYUP, 'A', 1 | (3u << 30));
                           return true;
                       }},
                       [] { EndMenu(); });
    Press('v', true);
    EXPECT_TRUE(test_support::PumpUntil([&] { return inside.done(); }, 6000));
    EXPECT_FALSE(inside.forced);
    EXPECT_TRUE(test_support::PumpUntil(
        [&] { return IsWindowVisible(Item(IDC_FRA_ADV_OPTIONS)) != FALSE; }, 3000));
    EXPECT_NE(GetMenuState(GetMenu(form), IDM_VIEW_ADVANCED_OPTIONS, MF_BYCOMMAND) & MF_CHECKED,
              0u);
    ExpectAt(form, IDC_CMD_LOGON, design::cmdLogon);
}

TEST_F(MainWindow, ArrowsMoveThroughTheSwitchesAndSkipTheBlankSlot) {
    OpenMain(kThree);
    SendMessageA(form, WM_COMMAND, IDM_VIEW_ADVANCED_OPTIONS, 0);
    SetFocus(Item(IDC_OPT_ADVANCED_0));
    for (int index : {1, 2, 4, 5, 0}) {
        Press(VK_DOWN);
        EXPECT_EQ(GetFocus(), Item(IDC_OPT_ADVANCED_0 + index)) << "expected switch " << index;
        EXPECT_TRUE(FrmVarnel_OptionSelected(form, index)) << "the focused switch is chosen";
    }
    Press(VK_UP);
    EXPECT_EQ(GetFocus(), Item(IDC_OPT_ADVANCED_0 + 5));
    EXPECT_FALSE(FrmVarnel_OptionSelected(form, 3));
}

// The button's client area as drawn, pixel by pixel.
std::vector<COLORREF> PixelsOf(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const WindowDc dc(control);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            pixels.push_back(GetPixel(dc.get(), x, y));
        }
    }
    return pixels;
}

TEST_F(MainWindow, TheKeyboardFocusIsDrawnOnTheButtonItReaches) {
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    PumpFor(20);
    HWND logon = Item(IDC_CMD_LOGON);
    const std::vector<COLORREF> unfocused = PixelsOf(logon);
    Press(VK_TAB); // to the list
    Press(VK_TAB); // past the locked server box and the hidden panel, to Launch Outlook
    ASSERT_EQ(GetFocus(), logon);
    // Focus cues may be hidden until the keyboard is used; keyboard navigation shows them.
    EXPECT_EQ(SendMessageA(logon, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
    const std::vector<COLORREF> focused = PixelsOf(logon);
    ASSERT_EQ(focused.size(), unfocused.size());
    RECT client{};
    GetClientRect(logon, &client);
    int changed = 0;
    for (std::size_t i = 0; i < focused.size(); ++i) {
        changed += focused[i] != unfocused[i] ? 1 : 0;
    }
    // A dotted focus rectangle inside the button's edge: about half of its perimeter's pixels.
    EXPECT_GE(changed, (client.right + client.bottom) / 2) << "no focus rectangle is drawn";
    EXPECT_LT(changed, client.right * client.bottom / 4) << "more than a focus rectangle changed";
}

bool IsDefaultButton(HWND button) {
    return (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

TEST_F(MainWindow, TheFocusedButtonIsTheDefaultAndLaunchIsItEverywhereElse) {
    const OutlookWindow outlook; // a launch says that Outlook runs, and nothing more
    ASSERT_NE(outlook.get(), nullptr) << outlook.Failure();
    OpenMain(kThree);
    std::vector<std::string> shown;
    const auto answer = [&](HWND box) {
        shown.push_back(MessageOf(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    };
    ModalDriver inside([] { return VisibleThreadWindow("#32770"); }, {answer, answer},
                       [] { EndDialog(VisibleThreadWindow("#32770"), IDOK); });
    HWND logon = Item(IDC_CMD_LOGON);
    HWND exit = Item(IDC_CMD_CANCEL);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    for (int tab = 0; tab < 3; ++tab) {
        Press(VK_TAB); // the list, Launch Outlook, Exit
    }
    ASSERT_EQ(GetFocus(), exit);
    EXPECT_TRUE(IsDefaultButton(exit));
    EXPECT_FALSE(IsDefaultButton(logon));

    Press(VK_TAB); // on to the alias box
    ASSERT_EQ(GetFocus(), Item(IDC_TXT_EMAIL_ALIAS));
    EXPECT_TRUE(IsDefaultButton(logon));
    EXPECT_FALSE(IsDefaultButton(exit));
    Press(VK_RETURN);
    EXPECT_TRUE(test_support::PumpUntil([&] { return !shown.empty(); }, 5000))
        << "Enter on the alias box launches";

    for (int tab = 0; tab < 3; ++tab) {
        Press(VK_TAB); // round again to Exit
    }
    ASSERT_EQ(GetFocus(), exit);
    Press(VK_RETURN);
    PumpFor(100);
    EXPECT_TRUE(QuitRequested()) << "Enter on Exit ends the program";
    EXPECT_EQ(shown, std::vector<std::string>{"Microsoft Outlook is currently running."})
        << "and launches nothing";
}

TEST_F(MainWindow, EscEndsTheProgramWithoutClosingTheWindow) {
    OpenMain(kThree);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    Press(VK_ESCAPE);
    EXPECT_TRUE(QuitRequested());
    EXPECT_TRUE(IsWindow(form)) << "Exit ends the program without the window's close handling";
}

TEST_F(MainWindow, EscDoesNothingWhileTheExitButtonIsDisabled) {
    OpenMain(kThree);
    EnableWindow(Item(IDC_CMD_CANCEL), FALSE);
    SetFocus(Item(IDC_TXT_EMAIL_ALIAS));
    Press(VK_ESCAPE);
    EXPECT_FALSE(QuitRequested());
}

TEST_F(MainWindow, CloseBoxAltF4AndFileExitCloseWithoutAQuestion) {
    for (int way = 0; way < 3; ++way) {
        OpenMain(kThree);
        if (way == 0) {
            PostMessageA(form, WM_CLOSE, 0, 0);
        } else if (way == 1) {
            PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            PostMessageA(form, WM_COMMAND, IDM_FILE_EXIT, 0);
        }
        PumpFor(50);
        EXPECT_FALSE(IsWindow(form)) << "way " << way;
        EXPECT_TRUE(QuitRequested()) << "way " << way;
        test_support::EndQuitRequest();
    }
}

} // namespace
