// The real varnel.exe with the real 30-second pause, against the stand-in CDO library and the
// stand-in Outlook: a launch from the button to Outlook's window and the log-off, the three
// messages, closing the window while Outlook starts, and the trace that a helpdesk reads with a
// debug-output viewer.
#include "support/debug_output_reader.h"
#include "support/launch_fixture.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

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
        ASSERT_EQ(debugOutput.Failure(), "");
        registration.Set(launch_fixture::StandInCommand());
        SetEnvironmentVariableA("USERNAME", "jdoe");
    }
    // Empty when the program's trace, once its launch is over, holds lines with each of
    // `fragments` in this order; otherwise the first fragment missing, and the trace.
    std::string TraceMisses(const Varnel& varnel, std::initializer_list<std::string> fragments) {
        std::vector<std::string> lines;
        PumpUntil(
            [&] {
                lines = debugOutput.LinesOf(varnel.Id());
                return !lines.empty() && lines.back() == "Varnel: the launch is over";
            },
            45000);
        auto line = lines.begin();
        for (const std::string& fragment : fragments) {
            line = std::find_if(line, lines.end(), [&](const std::string& text) {
                return text.find(fragment) != std::string::npos;
            });
            if (line == lines.end()) {
                return "no line with: " + fragment + "\n" + ::testing::PrintToString(lines);
            }
        }
        return "";
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

    // As Windows ends its session, or an installer closes the program: it asks, then says
    // whether the session ends. True when the question was answered with TRUE at once.
    static bool EndSession(HWND main, BOOL ends, LPARAM why) {
        const ULONGLONG asked = GetTickCount64();
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, why, SMTO_ABORTIFHUNG, 2000, &answer);
        const bool letsItEnd = answer == TRUE && GetTickCount64() - asked < 1000;
        SendMessageTimeoutA(main, WM_ENDSESSION, ends, why, SMTO_ABORTIFHUNG, 5000, &answer);
        return letsItEnd;
    }
    // The main window, once the launch button has started Outlook; nullptr when either fails.
    static HWND LaunchUntilOutlookStarts(Varnel& varnel, const outlook_standin::Session& outlook) {
        HWND main = varnel.MainWindow();
        if (main != nullptr) {
            ClickLaunch(main);
        }
        return main != nullptr && outlook.WaitForEvent("start", 10000) ? main : nullptr;
    }
    bool Traced(const Varnel& varnel, const std::string& fragment) const {
        const std::vector<std::string> lines = debugOutput.LinesOf(varnel.Id());
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(fragment) != std::string::npos;
        });
    }

    test_support::DebugOutputReader debugOutput;
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
    const std::string program = "\"" + outlook_standin::ProgramPath() + "\"";
    EXPECT_EQ(
        TraceMisses(varnel, {"varnel.ini: " + varnel.Folder() +
                                 "\\varnel.ini (found), 2 "
                                 "locations read",
                             "the launch begins", "CreateObject(\"MAPI.Session\"): created",
                             "Logon: server=LONMX01, alias=jdoe", "Logon: succeeded",
                             "CurrentUser.Address: \"", ": a mailbox",
                             "outlook\\shell\\open\\command, default value: " + program +
                                 " /select \"%1\"; its program: " + program,
                             "RunAndWait: " + program +
                                 " /select /cleanschedplus /profile Varnel Temp jdoe 1",
                             "CreateProcess: started", "ms of watching: Outlook's window is up",
                             "Logoff: succeeded", "the session is released"}),
        "");
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
        EXPECT_EQ(TraceMisses(varnel, {registered ? "CreateProcess failed: 2 ("
                                                  : "default value, cannot be read: 2 (",
                                       "shows the message \"Outlook not found."}),
                  "");
        EXPECT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 10000));
        EXPECT_TRUE(cdo.Has("Logoff"));
    }
}

TEST_F(LaunchEndToEnd, TheTraceNamesTheStepThatFailedAndWhy) {
    // The CDO library not installed: the launch seems to do nothing at all.
    {
        launch_fixture::CdoRegistration cdoClass;
        cdoClass.Remove();
        Varnel varnel(kIni);
        HWND main = varnel.MainWindow();
        ASSERT_NE(main, nullptr);
        ClickLaunch(main);
        EXPECT_EQ(TraceMisses(varnel, {"CreateObject(\"MAPI.Session\") failed: 0x800401F3 "
                                       "(CO_E_CLASSSTRING: no \"MAPI.Session\" is registered"}),
                  "");
    }
    // The server refuses the logon.
    CdoSettings cdo({.fail = "Logon", .failCode = "0x80040111", .mailboxes = "LONMX01=jdoe"});
    Varnel varnel(kIni);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    ClickLaunch(main);
    EXPECT_EQ(AnswerMessage(varnel, 15000).text,
              "Unable to Establish MAPI Session. Verify the server setting.");
    EXPECT_EQ(TraceMisses(varnel, {"Logon: server=LONMX01, alias=jdoe",
                                   "Logon failed: 0x80040111 (MAPI_E_LOGON_FAILED: the logon "
                                   "failed); the rest of this step is skipped",
                                   "CurrentUser.Address: \"Unknown\": the logon reached no mailbox",
                                   "Logoff: succeeded"}),
              "");
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

TEST_F(LaunchEndToEnd, ALogOffDuringThePauseLogsTheSessionOffBeforeWindowsEndsTheProgram) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 1000);
    Varnel varnel(kIni);
    HWND main = LaunchUntilOutlookStarts(varnel, outlook);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(EndSession(main, TRUE, ENDSESSION_LOGOFF));
    // Windows may end the process as soon as its window has answered.
    TerminateProcess(varnel.Process(), 1);
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_TRUE(Traced(varnel, "the Windows session is ending"));
    EXPECT_TRUE(outlook.WaitForEvent("window", 5000)) << "Outlook is left alone";
}

TEST_F(LaunchEndToEnd, AnInstallerClosingTheProgramWhileItWatchesForOutlookLogsOffAndEndsIt) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 40000);
    Varnel varnel(kIni);
    HWND main = LaunchUntilOutlookStarts(varnel, outlook);
    ASSERT_NE(main, nullptr);
    const ULONGLONG started = GetTickCount64();
    PumpUntil([&] { return GetTickCount64() - started >= 32000; }, 35000); // past the pause
    ASSERT_FALSE(cdo.Has("Logoff"));
    EXPECT_TRUE(EndSession(main, TRUE, ENDSESSION_CLOSEAPP));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_TRUE(cdo.Has("Logoff"));
    ASSERT_TRUE(varnel.WaitForExit(5000));
    EXPECT_EQ(varnel.ExitCode(), 0u);
}

TEST_F(LaunchEndToEnd, ACancelledLogOffLetsTheLaunchGoOnToItsEnd) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 1000);
    Varnel varnel(kIni);
    HWND main = LaunchUntilOutlookStarts(varnel, outlook);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(EndSession(main, FALSE, ENDSESSION_LOGOFF));
    EXPECT_FALSE(cdo.Has("Logoff"));
    const auto window = outlook.WaitForEvent("window", 15000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(PumpUntil([&] { return cdo.Has("release"); }, 45000));
    EXPECT_GT(cdo.First("Logoff").ticks, window->ticks);
    EXPECT_TRUE(IsWindow(main));
}

} // namespace
