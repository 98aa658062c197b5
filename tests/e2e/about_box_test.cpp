// The real varnel.exe: F1 in the main window opens the About box from the program's own
// message loop, the main window is locked while it is open, and Esc gives it back.
#include "platform/win32_raii.h"
#include "support/test_support.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::PumpUntil;

struct Search {
    DWORD process;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindOfProcess(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (process == search->process && std::string(name) == search->className) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The top-level window of class `className` that belongs to `process`, if there is one.
HWND WindowOf(DWORD process, const char* className) {
    Search search{process, className, nullptr};
    EnumWindows(FindOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Another process's control text: WM_GETTEXT is carried across processes.
std::string TextOf(HWND window) {
    char buffer[512] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

// The control that has the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus != nullptr ? info.hwndFocus : window;
}

// The program's About box once it is shown with the keyboard on its OK button; nullptr if
// that does not happen within ten seconds.
HWND WaitForAboutBox(DWORD process) {
    HWND about = nullptr;
    const bool shown = PumpUntil(
        [&] {
            about = WindowOf(process, kFrmAboutClassName);
            return about != nullptr && IsWindowVisible(about) &&
                   FocusOf(about) == GetDlgItem(about, IDC_CMD_OK);
        },
        10000);
    return shown ? about : nullptr;
}

// Ends the started program if a failed check leaves it running.
struct EndIfRunning {
    HANDLE process;
    ~EndIfRunning() {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
    }
};

void Press(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 1 | (3u << 30));
}

TEST(AboutBoxEndToEnd, F1OpensItOverTheLockedMainWindowAndEscClosesIt) {
    std::string command = "\"" + test_support::BuildPath("bin\\varnel.exe") + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    const EndIfRunning guard{process.get()};
    const DWORD id = started.dwProcessId;

    HWND main = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            return (main = WindowOf(id, kFrmVarnelClassName)) != nullptr && IsWindowVisible(main);
        },
        15000));
    WaitForInputIdle(process.get(), 5000);

    Press(FocusOf(main), VK_F1);
    HWND about = WaitForAboutBox(id);
    ASSERT_NE(about, nullptr) << "F1 opens the About box";
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(TextOf(about), "");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBL_TITLE)), "Varnel");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBL_VERSION)), "Version 1.0.8");

    Press(FocusOf(about), VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000));
    EXPECT_TRUE(
        PumpUntil([&] { return IsWindowEnabled(main) && IsChild(main, FocusOf(main)); }, 5000))
        << "the main window is back, with the keyboard";

    // A second F1 opens a fresh box again; Enter closes that one.
    Press(FocusOf(main), VK_F1);
    about = WaitForAboutBox(id);
    ASSERT_NE(about, nullptr) << "F1 opens the About box again";
    Press(FocusOf(about), VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000));

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.get(), 15000), WAIT_OBJECT_0) << "varnel.exe ends";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
