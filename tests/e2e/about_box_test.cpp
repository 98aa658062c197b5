// The real varnel.exe: F1 in the main window opens the About box from the program's own
// message loop, the main window is locked while it is open, and Esc gives it back.
#include "platform/file_version.h"
#include "platform/win32_raii.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::PumpUntil;
using varnel_process::FocusOf;
using varnel_process::Press;
using varnel_process::TextOf;
using varnel_process::WindowOf;

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

TEST(AboutBoxEndToEnd, F1OpensItOverTheLockedMainWindowAndEscClosesIt) {
    varnel_process::Varnel varnel("");
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    const DWORD id = varnel.Id();

    Press(FocusOf(main), VK_F1);
    HWND about = WaitForAboutBox(id);
    ASSERT_NE(about, nullptr) << "F1 opens the About box";
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(TextOf(about), "");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBL_TITLE)), "Varnel");
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBL_VERSION)), test_support::ShownVersion());

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
    ASSERT_TRUE(varnel.WaitForExit(15000)) << "varnel.exe ends";
    EXPECT_EQ(varnel.ExitCode(), 0u);
}

TEST(AboutBoxEndToEnd, AClosingOrAnEndingSessionWhileItIsOpenEndsTheProgram) {
    // Another program closes the main window, or Windows ends the session, while the box is open.
    for (const bool endSession : {false, true}) {
        SCOPED_TRACE(endSession ? "the session ends" : "WM_CLOSE");
        varnel_process::Varnel varnel("");
        HWND main = varnel.MainWindow();
        ASSERT_NE(main, nullptr);
        Press(FocusOf(main), VK_F1);
        ASSERT_NE(WaitForAboutBox(varnel.Id()), nullptr);
        DWORD_PTR answer = 0;
        if (endSession) {
            SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                2000, &answer);
            EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the program lets Windows go on";
            SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                2000, &answer);
        } else {
            SendMessageTimeoutA(main, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        }
        ASSERT_TRUE(varnel.WaitForExit(2000)) << "no process is left without a window";
        EXPECT_EQ(varnel.ExitCode(), 0u);
    }
}

// varnel.exe names its version twice: in its manifest, for Windows, and in its version resource,
// which the About box and the file's properties show. Both come from CMakeLists.txt.
TEST(ProgramVersion, TheManifestAndTheVersionResourceAgree) {
    const UniqueLibrary exe(LoadLibraryExA(test_support::BuildPath("bin\\varnel.exe").c_str(),
                                           nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(exe, nullptr);
    HRSRC found =
        FindResourceA(exe.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(
        static_cast<const char*>(LockResource(LoadResource(exe.get(), found))),
        SizeofResource(exe.get(), found));
    const std::string key = "name=\"Varnel\" version=\"";
    const std::size_t at = manifest.find(key);
    ASSERT_NE(at, std::string::npos) << manifest;
    const std::string named =
        manifest.substr(at + key.size(), manifest.find('"', at + key.size()) - at - key.size());

    const FileVersionInfo resource =
        ReadFileVersionInfo(test_support::Wide(test_support::BuildPath("bin\\varnel.exe")));
    ASSERT_TRUE(resource.found);
    const std::string numbered = std::to_string(HIWORD(resource.fileVersionMS)) + "." +
                                 std::to_string(LOWORD(resource.fileVersionMS)) + "." +
                                 std::to_string(HIWORD(resource.fileVersionLS)) + "." +
                                 std::to_string(LOWORD(resource.fileVersionLS));
    EXPECT_EQ(named, numbered);
}

} // namespace
