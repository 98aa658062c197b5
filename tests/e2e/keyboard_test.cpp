// The real varnel.exe driven from the keyboard alone, with real key presses: under Wine,
// X key events made by xdotool on the X display (Wine turns them into keyboard input for its
// active window, as it does a user's keyboard); on Windows, SendInput. Every mnemonic, the tab
// order both ways, the menus, F1 and the launch button's check for a running Outlook.
#include "launcher/outlook.h"
#include "support/launch_fixture.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using launch_fixture::OutlookWindow;

using test_support::MessageOf;
using test_support::PumpUntil;
using test_support::UnderWine;
using varnel_process::FocusOf;
using varnel_process::TextOf;
using varnel_process::WindowOf;

// A key with at most one modifier, named for xdotool and as virtual keys for SendInput.
struct Chord {
    const char* x;
    WORD modifier;
    WORD key;
};

constexpr Chord kTab{"Tab", 0, VK_TAB};
constexpr Chord kShiftTab{"shift+Tab", VK_SHIFT, VK_TAB};
constexpr Chord kEnd{"End", 0, VK_END};
constexpr Chord kReturn{"Return", 0, VK_RETURN};
constexpr Chord kEscape{"Escape", 0, VK_ESCAPE};
constexpr Chord kF1{"F1", 0, VK_F1};
constexpr Chord kA{"a", 0, 'A'};
constexpr Chord kX{"x", 0, 'X'};
constexpr Chord kAltE{"alt+e", VK_MENU, 'E'};
constexpr Chord kAltL{"alt+l", VK_MENU, 'L'};
constexpr Chord kAltS{"alt+s", VK_MENU, 'S'};
constexpr Chord kAltO{"alt+o", VK_MENU, 'O'};
constexpr Chord kAltX{"alt+x", VK_MENU, 'X'};
constexpr Chord kAltF{"alt+f", VK_MENU, 'F'};
constexpr Chord kAltV{"alt+v", VK_MENU, 'V'};
constexpr Chord kAltH{"alt+h", VK_MENU, 'H'};

constexpr const char* kXdotool = "Z:\\usr\\bin\\xdotool";

// Runs xdotool on the X display, once for each command line, and waits for it to finish, so
// that the keys of one step all arrive before those of the next. Wine starts a Linux program
// without a handle to wait on, so a shell runs it, with a time limit and its output in files,
// and writes its exit status to a file that this waits for. Returns what went wrong, or
// nothing when every command succeeded.
std::string RunXdotool(const std::vector<std::string>& commands) {
    static int count = 0;
    const char* build = std::getenv("VARNEL_BUILD_DIR");
    if (build == nullptr) {
        return "VARNEL_BUILD_DIR is not set";
    }
    const std::string stem =
        "keyboard-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    const std::string status = test_support::BuildPath(stem + ".status");
    const std::string errors = test_support::BuildPath(stem + ".err");
    const std::string unixStem = std::string(build) + "/" + stem;
    std::string script = "exec </dev/null >/dev/null 2>'" + unixStem + ".err'; ";
    for (std::size_t i = 0; i < commands.size(); ++i) {
        script +=
            (i == 0 ? "" : " && ") + std::string("timeout 10 /usr/bin/xdotool ") + commands[i];
    }
    script += "; echo $? >'" + unixStem + ".status'";
    std::string command = "Z:\\bin\\sh -c \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return "cannot start " + command;
    }
    // A Unix program runs without a Windows process: Wine returns no process handle and leaves
    // the thread handle as it found it on its own stack, a number that may be one of ours (this
    // thread's desktop, say). Only handles of a started Windows process are closed.
    if (started.hProcess != nullptr) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    std::string result;
    PumpUntil(
        [&] {
            result = test_support::ReadFile(status);
            return !result.empty() && result.back() == '\n';
        },
        15000);
    const std::string said = test_support::ReadFile(errors);
    DeleteFileA(status.c_str());
    DeleteFileA(errors.c_str());
    return result == "0\n"
               ? std::string()
               : "xdotool " + commands.back() + " ended with status '" + result + "': " + said;
}

void SendChord(const Chord& chord) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (chord.modifier != 0) {
        add(chord.modifier, false);
    }
    add(chord.key, false);
    add(chord.key, true);
    if (chord.modifier != 0) {
        add(chord.modifier, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class RealKeyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        if (UnderWine()) {
            ASSERT_NE(GetFileAttributesA(kXdotool), INVALID_FILE_ATTRIBUTES)
                << "real key presses under Wine need xdotool (scripts/bootstrap installs it)";
        }
        main = varnel.MainWindow();
        ASSERT_NE(main, nullptr) << "varnel.exe shows its window";
        thread = GetWindowThreadProcessId(main, nullptr);
    }
    HWND Item(int id) const { return GetDlgItem(main, id); }
    int FocusedId() const { return GetDlgCtrlID(FocusOf(main)); }

    // A key press for the main window: the X keyboard focus and the pointer are put on it
    // first, as a user's would be.
    void PressOnMain(const Chord& chord) {
        if (UnderWine()) {
            // The key goes by itself: chained after a window search, xdotool would send it to
            // that window as a synthetic event instead of typing it.
            ASSERT_EQ(RunXdotool({"search --sync --onlyvisible --name '^Varnel$' windowfocus "
                                  "--sync %1 mousemove --window %1 40 40",
                                  "key " + std::string(chord.x)}),
                      "");
        } else {
            SetForegroundWindow(main);
            SendChord(chord);
        }
    }
    // A key press for whatever window of Varnel's is active (a menu, a message box, the About
    // box): the keyboard focus stays where Varnel put it.
    void Press(const Chord& chord) {
        if (UnderWine()) {
            ASSERT_EQ(RunXdotool({"key " + std::string(chord.x)}), "");
        } else {
            SendChord(chord);
        }
    }
    bool FocusReaches(int id) {
        return PumpUntil([&] { return FocusedId() == id; }, 5000);
    }
    GUITHREADINFO GuiInfo() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(thread, &info);
        return info;
    }
    // The menu that is open in Varnel's window: its window, or nullptr. (Under Wine a menu's
    // handle means nothing to another process, so a menu is known by where it opens.)
    HWND OpenMenu() const {
        HWND popup = WindowOf(varnel.Id(), "#32768", true);
        const GUITHREADINFO info = GuiInfo();
        return (info.flags & GUI_INMENUMODE) != 0 && info.hwndMenuOwner == main ? popup : nullptr;
    }
    // Opens a menu with its mnemonic and returns where its window opened (empty if it did not),
    // after closing it again: Esc closes the menu, a second Esc leaves the menu bar.
    RECT OpenAndCloseMenu(const Chord& chord) {
        PressOnMain(chord);
        RECT opened{};
        HWND popup = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (popup = OpenMenu()) != nullptr; }, 5000))
            << chord.x << " opens a menu";
        if (popup != nullptr) {
            GetWindowRect(popup, &opened);
        }
        Press(kEscape);
        EXPECT_TRUE(PumpUntil([&] { return OpenMenu() == nullptr; }, 5000)) << chord.x;
        Press(kEscape);
        EXPECT_TRUE(PumpUntil([&] { return (GuiInfo().flags & GUI_INMENUMODE) == 0; }, 5000))
            << chord.x;
        return opened;
    }

    varnel_process::Varnel varnel{"[Locations]\r\nLondon Head Office=LONMX01\r\n"};
    HWND main = nullptr;
    DWORD thread = 0;
};

TEST_F(RealKeyboard, MnemonicsMoveToTheirFieldsAndTabFollowsTheOrderBothWays) {
    ASSERT_TRUE(FocusReaches(IDC_TXT_EMAIL_ALIAS)) << "the alias box has the focus at start";

    PressOnMain(kAltL);
    EXPECT_TRUE(FocusReaches(IDC_CBO_MARKET)) << "Alt+L";
    // End picks the last entry, "[Other]", which opens the server box.
    PressOnMain(kEnd);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(Item(IDC_TXT_SERVER)) != FALSE; }, 5000));
    PressOnMain(kAltS);
    EXPECT_TRUE(FocusReaches(IDC_TXT_SERVER)) << "Alt+S";
    PressOnMain(kAltE);
    EXPECT_TRUE(FocusReaches(IDC_TXT_EMAIL_ALIAS)) << "Alt+E";

    // View > Advanced Options from the keyboard: Alt+V, then the item's own letter.
    PressOnMain(kAltV);
    ASSERT_TRUE(PumpUntil([&] { return OpenMenu() != nullptr; }, 5000)) << "Alt+V opens a menu";
    Press(kA);
    EXPECT_TRUE(
        PumpUntil([&] { return IsWindowVisible(Item(IDC_FRA_ADV_OPTIONS)) != FALSE; }, 5000));
    EXPECT_TRUE(FocusReaches(IDC_TXT_EMAIL_ALIAS)) << "the focus comes back from the menu";

    const int forward[] = {IDC_CBO_MARKET, IDC_TXT_SERVER, IDC_OPT_ADVANCED_0,
                           IDC_CMD_LOGON,  IDC_CMD_CANCEL, IDC_TXT_EMAIL_ALIAS};
    for (int id : forward) {
        PressOnMain(kTab);
        EXPECT_TRUE(FocusReaches(id)) << "Tab to control " << id << ", at " << FocusedId();
    }
    const int backward[] = {IDC_CMD_CANCEL, IDC_CMD_LOGON,  IDC_OPT_ADVANCED_0,
                            IDC_TXT_SERVER, IDC_CBO_MARKET, IDC_TXT_EMAIL_ALIAS};
    for (int id : backward) {
        PressOnMain(kShiftTab);
        EXPECT_TRUE(FocusReaches(id)) << "Shift+Tab to control " << id << ", at " << FocusedId();
    }
}

TEST_F(RealKeyboard, AltFVAndHOpenTheirMenus) {
    // Each menu opens under its own item of the menu bar: File at the left, then View, then
    // Help, all just below the bar.
    const RECT file = OpenAndCloseMenu(kAltF);
    const RECT view = OpenAndCloseMenu(kAltV);
    const RECT help = OpenAndCloseMenu(kAltH);
    POINT client{0, 0};
    ClientToScreen(main, &client);
    for (const RECT& menu : {file, view, help}) {
        EXPECT_NEAR(menu.top, client.y, 2) << "a menu opens just below the menu bar";
        EXPECT_GT(menu.right, menu.left);
    }
    EXPECT_NEAR(file.left, client.x, 2) << "File is the first item of the bar";
    EXPECT_GT(view.left, file.left);
    EXPECT_GT(help.left, view.left);
    EXPECT_TRUE(FocusReaches(IDC_TXT_EMAIL_ALIAS));
}

TEST_F(RealKeyboard, AltHThenAOpensTheAboutBox) {
    PressOnMain(kAltH);
    ASSERT_TRUE(PumpUntil([&] { return OpenMenu() != nullptr; }, 5000)) << "Alt+H opens a menu";
    Press(kA);
    HWND about = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (about = WindowOf(varnel.Id(), kFrmAboutClassName, true)) != nullptr; }, 5000))
        << "Help > About... from the keyboard";
    Press(kEscape);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
}

TEST_F(RealKeyboard, AltFThenXClosesTheWindow) {
    PressOnMain(kAltF);
    ASSERT_TRUE(PumpUntil([&] { return OpenMenu() != nullptr; }, 5000)) << "Alt+F opens a menu";
    Press(kX);
    ASSERT_TRUE(varnel.WaitForExit(10000)) << "File > Exit closes the window, which ends Varnel";
    EXPECT_EQ(varnel.ExitCode(), 0u);
}

TEST_F(RealKeyboard, F1OpensTheAboutBoxAndEscClosesIt) {
    PressOnMain(kF1);
    HWND about = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            about = WindowOf(varnel.Id(), kFrmAboutClassName);
            return about != nullptr && IsWindowVisible(about) &&
                   FocusOf(about) == GetDlgItem(about, IDC_CMD_OK);
        },
        5000))
        << "F1 opens the About box with the keyboard on OK";
    EXPECT_FALSE(IsWindowEnabled(main));
    Press(kEscape);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 5000));
    EXPECT_TRUE(FocusReaches(IDC_TXT_EMAIL_ALIAS)) << "the main window has the keyboard again";
}

TEST_F(RealKeyboard, AltOLaunchesAndReportsARunningOutlook) {
    const OutlookWindow outlook;
    ASSERT_NE(outlook.get(), nullptr) << outlook.Failure();
    PressOnMain(kAltO);
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            box = WindowOf(varnel.Id(), "#32770", true);
            return box != nullptr;
        },
        5000))
        << "Alt+O presses Launch Outlook, which finds Outlook running";
    EXPECT_EQ(TextOf(box), "Varnel");
    EXPECT_EQ(MessageOf(box), "Microsoft Outlook is currently running.");
    Press(kReturn);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000)) << "Enter closes the message";
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CMD_LOGON)));
    EXPECT_EQ(WaitForSingleObject(varnel.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(RealKeyboard, AltXEndsTheProgram) {
    PressOnMain(kAltX);
    ASSERT_TRUE(varnel.WaitForExit(10000)) << "Alt+X presses Exit";
    EXPECT_EQ(varnel.ExitCode(), 0u);
}

} // namespace
