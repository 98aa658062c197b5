// The real varnel.exe with the real 30-second pause, against the stand-in CDO library and the
// stand-in Outlook: a launch from the button to Outlook's window and the log-off, the three
// messages, and closing the window while Outlook starts.
#include "support/launch_fixture.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

namespace {

using launch_fixture::CdoSettings;
using launch_fixture::OutlookRegistration;
using test_support::PumpUntil;
using varnel_process::TextOf;
using varnel_process::Varnel;

const std::string kIni = "[Locations]\r\nLondon=LONMX01\r\nParis=PARMX02\r\n";

class LaunchEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        registration.Set(launch_fixture::StandInCommand());
        SetEnvironmentVariableA("USERNAME", "jdoe");
    }
    // Presses the launch button as a click would.
    static void ClickLaunch(HWND main) {
        PostMessageA(GetDlgItem(main, IDC_CMD_LOGON), BM_CLICK, 0, 0);
    }
    // The message box the program shows, answered with OK; empty text if none comes.
    static launch_fixture::ShownMessage AnswerMessage(const Varnel& varnel, DWORD milliseconds) {
        HWND box = nullptr;
        PumpUntil([&] { return (box = launch_fixture::FindMessageBox(varnel.Id())) != nullptr; },
                  milliseconds);
        return box != nullptr ? launch_fixture::AnswerMessageBox(box)
                              : launch_fixture::ShownMessage{};
    }

    OutlookRegistration registration;
};

TEST_F(LaunchEndToEnd, LaunchesOutlookWithTheSwitchAndLogsOffAfterItsWindow) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 1000);
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    SendMessageA(GetDlgItem(main, IDC_OPT_ADVANCED_0 + 2), BM_CLICK, 0, 0);
    const ULONGLONG pressed = GetTickCount64();
    ClickLaunch(main);

    ASSERT_TRUE(outlook.WaitForEvent("start", 10000));
    EXPECT_EQ(outlook.WaitForEvent("start", 0)->text,
              "start \"" + outlook_standin::ProgramPath() +
                  "\" /select /cleanschedplus /profile Varnel Temp jdoe 1");
    const auto window = outlook.WaitForEvent("window", 15000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 45000));
    const ULONGLONG waited = GetTickCount64() - pressed;
    EXPECT_GE(waited, 30000u) << "the runner pauses 30 s before it watches";
    EXPECT_LT(waited, 40000u);
    EXPECT_GT(cdo.First("Logoff").ticks, window->ticks) << ::testing::PrintToString(cdo.Calls());
    EXPECT_TRUE(cdo.Has("Logon args=1 named=6 ProfileInfo=LONMX01\\njdoe"));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(main, IDC_CMD_LOGON)); }, 5000));

    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(varnel.WaitForExit(15000));
    EXPECT_EQ(varnel.ExitCode(), 0u);
}

TEST_F(LaunchEndToEnd, AnUnknownAddressShowsItsMessage) {
    CdoSettings cdo("PARMX02=jdoe");
    outlook_standin::Session outlook("window");
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    ClickLaunch(main);
    const launch_fixture::ShownMessage shown = AnswerMessage(varnel, 15000);
    EXPECT_EQ(shown.text, "Unable to Establish MAPI Session. Verify the server setting.");
    EXPECT_EQ(shown.title, "Varnel");
    EXPECT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 10000));
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_FALSE(outlook.WaitForEvent("start", 0));
}

TEST_F(LaunchEndToEnd, OutlookNotRegisteredOrNotStartableShowsItsMessage) {
    for (const bool registered : {false, true}) {
        SCOPED_TRACE(registered ? "registered, missing program" : "not registered");
        if (registered) {
            registration.Set("\"C:\\Program Files\\Nowhere\\OUTLOOK.EXE\" /select \"%1\"");
        } else {
            registration.Remove();
        }
        CdoSettings cdo;
        Varnel varnel(kIni);
        HWND main = varnel.MainWindow();
        ASSERT_NE(main, nullptr);
        const ULONGLONG pressed = GetTickCount64();
        ClickLaunch(main);
        const launch_fixture::ShownMessage shown = AnswerMessage(varnel, 15000);
        EXPECT_EQ(shown.text, "Outlook not found. Verify that Outlook is installed properly.");
        EXPECT_LT(GetTickCount64() - pressed, 15000u) << "no 30-second wait for nothing";
        EXPECT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 10000));
        EXPECT_TRUE(cdo.Has("Logoff"));
    }
}

TEST_F(LaunchEndToEnd, ThePauseAnswersOtherProgramsAndLeavesTheUsersKeysForAfterIt) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 1000);
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    HWND alias = GetDlgItem(main, IDC_TXT_EMAIL_ALIAS);
    const ULONGLONG pressed = GetTickCount64();
    ClickLaunch(main);
    ASSERT_TRUE(outlook.WaitForEvent("start", 10000));
    varnel_process::Press(alias, 'X');
    // As Windows asks whether a window hangs: a message that waits for its answer.
    for (const ULONGLONG at : {5000u, 15000u, 25000u}) {
        PumpUntil([&] { return GetTickCount64() - pressed >= at; }, 30000);
        const ULONGLONG asked = GetTickCount64();
        DWORD_PTR unused = 0;
        EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 1500, &unused), 0)
            << "unanswered " << at << " ms into the pause";
        EXPECT_LT(GetTickCount64() - asked, 1500u);
        EXPECT_EQ(TextOf(alias), "jdoe") << "the key waits for the end of the pause";
    }
    ASSERT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 20000));
    EXPECT_GE(GetTickCount64() - pressed, 30000u) << "the pause lasts its 30 s";
    EXPECT_TRUE(PumpUntil([&] { return TextOf(alias) != "jdoe"; }, 5000))
        << "the key acts once the pause is over";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnel.WaitForExit(15000));
}

TEST_F(LaunchEndToEnd, ClosingTheWindowDuringTheWaitLogsOffAndEnds) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 2000);
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    ClickLaunch(main);
    ASSERT_TRUE(outlook.WaitForEvent("start", 10000));
    // Another program's close is answered during the pause; the launch goes on without the window.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(main); }, 3000));
    ASSERT_TRUE(varnel.WaitForExit(45000)) << "the program ends after the launch";
    EXPECT_TRUE(outlook.WaitForEvent("window", 0)) << "it waited for Outlook's window";
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_EQ(launch_fixture::FindMessageBox(varnel.Id()), nullptr);
}

} // namespace
