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

TEST_F(LaunchEndToEnd, ClosingTheWindowDuringTheWaitLogsOffAndEnds) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 2000);
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    ClickLaunch(main);
    ASSERT_TRUE(outlook.WaitForEvent("start", 10000));
    // Input waits in the queue during the pause; the close is handled when polling begins.
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(varnel.WaitForExit(45000)) << "the program ends after the launch";
    EXPECT_FALSE(IsWindow(main));
    EXPECT_TRUE(outlook.WaitForEvent("window", 0)) << "it waited for Outlook's window";
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_EQ(launch_fixture::FindMessageBox(varnel.Id()), nullptr);
}

} // namespace
