// The launch button's work on the real main window, in-process, against the stand-in CDO
// library and the stand-in Outlook, with the runner's pause shortened.
#include "platform/message_pump.h"
#include "support/launch_fixture.h"
#include "support/main_window.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_varnel.h"
#include "ui/frm_varnel_events.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using launch_fixture::CdoSettings;
using launch_fixture::MessageBoxAnswerer;
using launch_fixture::OutlookRegistration;

constexpr unsigned long kShortPause = 100;
constexpr const char* kNotFound = "Outlook not found. Verify that Outlook is installed properly.";

// What the main window showed while the launch was waiting for Outlook.
struct DuringTheWait {
    bool seen = false;
    bool logonEnabled = true;
    bool cancelEnabled = true;
    bool hourglass = false;
};
DuringTheWait during;
HWND watchedWindow = nullptr;

void CALLBACK NoteTheWindow(HWND, UINT, UINT_PTR, DWORD) {
    if (!during.seen && IsWindow(watchedWindow)) {
        during = {true, IsWindowEnabled(GetDlgItem(watchedWindow, IDC_CMD_LOGON)) != FALSE,
                  IsWindowEnabled(GetDlgItem(watchedWindow, IDC_CMD_CANCEL)) != FALSE,
                  test_support::ShowsHourglass(watchedWindow)};
    }
}

class Launch : public test_support::MainWindowTest {
  protected:
    void SetUp() override {
        registration.Set(launch_fixture::StandInCommand());
        OpenMain({{"London", "LONMX01"}, {"Paris", "PARMX02"}});
        during = {};
        watchedWindow = form;
    }
    void ChooseSwitch(int index) {
        SendMessageA(GetDlgItem(form, IDC_OPT_ADVANCED_0 + index), BM_CLICK, 0, 0);
    }
    // Presses the launch button with the pause shortened; notes the window during the wait.
    void LaunchAndWatch() {
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, NoteTheWindow);
        cmdLogon_Click(form, kShortPause);
        KillTimer(nullptr, timer);
    }
    bool ButtonsEnabled() const {
        return IsWindowEnabled(GetDlgItem(form, IDC_CMD_LOGON)) &&
               IsWindowEnabled(GetDlgItem(form, IDC_CMD_CANCEL));
    }

    OutlookRegistration registration;
};

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST_F(Launch, StartsOutlookOnTheSessionsProfileAndLogsOffAfterItsWindowIsUp) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 300);
    ChooseSwitch(5);
    MessageBoxAnswerer answerer;
    LaunchAndWatch();

    EXPECT_TRUE(answerer.Shown().empty());
    const std::vector<std::string> calls = cdo.Calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "create");
    EXPECT_TRUE(Contains(calls, "QueryInterface {3FA7DEA8-6438-101B-ACC1-00AA00423326}"));
    EXPECT_TRUE(Contains(calls, "Logon args=1 named=6 ProfileInfo=LONMX01\\njdoe"));
    EXPECT_TRUE(Contains(calls, "GetIDsOfNames Address"));
    EXPECT_TRUE(Contains(calls, "Address -> /o=Sandbox/ou=LONMX01/cn=Recipients/cn=jdoe"));
    EXPECT_EQ(calls.back(), "release");

    const auto started = outlook.WaitForEvent("start", 1000);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->text, "start \"" + outlook_standin::ProgramPath() +
                                 "\" /select /resetfolders /profile Varnel Temp jdoe 1");
    const auto window = outlook.WaitForEvent("window", 1000);
    ASSERT_TRUE(window);
    EXPECT_GT(cdo.First("Logoff").ticks, window->ticks) << "logged off only after the window";

    EXPECT_TRUE(during.seen);
    EXPECT_FALSE(during.logonEnabled);
    EXPECT_FALSE(during.cancelEnabled);
    EXPECT_TRUE(during.hourglass);
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_FALSE(test_support::ShowsHourglass(form));
}

TEST_F(Launch, WithoutASwitchTwoSpacesStandBeforeTheProfile) {
    CdoSettings cdo("LONMX01=jdoe", "", "Roaming Profile");
    outlook_standin::Session outlook("exit");
    LaunchAndWatch();
    const auto started = outlook.WaitForEvent("start", 1000);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->text,
              "start \"" + outlook_standin::ProgramPath() + "\" /select  /profile Roaming Profile");
    EXPECT_TRUE(cdo.Has("Logoff"));
}

TEST_F(Launch, AnUnknownAddressIsReportedAndTheSessionStillLogsOff) {
    CdoSettings cdo("LONMX01=someoneelse");
    outlook_standin::Session outlook("exit");
    MessageBoxAnswerer answerer;
    LaunchAndWatch();
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text,
              "Unable to Establish MAPI Session. Verify the server setting.");
    EXPECT_EQ(answerer.Shown()[0].title, "Varnel");
    EXPECT_TRUE(answerer.Shown()[0].warningIcon);
    EXPECT_TRUE(answerer.Shown()[0].onlyOk);
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_FALSE(outlook.WaitForEvent("start", 200)) << "Outlook is not started";
    EXPECT_TRUE(ButtonsEnabled());
}

TEST_F(Launch, OutlookNotRegisteredIsReported) {
    CdoSettings cdo;
    registration.Remove();
    MessageBoxAnswerer answerer;
    LaunchAndWatch();
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, kNotFound);
    EXPECT_TRUE(cdo.Has("Logoff"));
}

TEST_F(Launch, OutlookThatCannotBeStartedIsReportedAtOnce) {
    CdoSettings cdo;
    registration.Set("\"C:\\nowhere\\OUTLOOK.EXE\" /select \"%1\"");
    MessageBoxAnswerer answerer;
    const ULONGLONG before = GetTickCount64();
    LaunchAndWatch();
    EXPECT_LT(GetTickCount64() - before, 5000u);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, kNotFound);
    const std::vector<std::string> calls = cdo.Calls();
    EXPECT_TRUE(Contains(calls, "Logoff"));
    EXPECT_EQ(calls.back(), "release");
}

TEST_F(Launch, EachFailingCdoCallEndsOnlyItsOwnStep) {
    struct Case {
        const char* fail;
        bool outlookStarts;
    };
    // A failing address read counts as a mailbox and launches; a failed Logon leaves none
    // ("Unknown"); a failing Name keeps Outlook from starting; a failing creation means no
    // session at all.
    const Case cases[] = {{"Create", false}, {"Logon", false}, {"CurrentUser", true},
                          {"Address", true}, {"Name", false},  {"Logoff", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fail);
        CdoSettings cdo("LONMX01=jdoe", c.fail);
        outlook_standin::Session outlook("exit");
        MessageBoxAnswerer answerer;
        LaunchAndWatch();
        EXPECT_EQ(outlook.WaitForEvent("start", c.outlookStarts ? 1000 : 100).has_value(),
                  c.outlookStarts);
        if (std::string(c.fail) == "Create") {
            EXPECT_EQ(cdo.Calls(), (std::vector<std::string>{"create", "fail Create 0x80004005"}));
            EXPECT_TRUE(answerer.Shown().empty());
        } else {
            EXPECT_TRUE(cdo.Has("Logoff"));
            EXPECT_EQ(cdo.Calls().back(), "release");
        }
        if (std::string(c.fail) == "Logon") {
            ASSERT_EQ(answerer.Shown().size(), 1u);
            EXPECT_EQ(answerer.Shown()[0].text,
                      "Unable to Establish MAPI Session. Verify the server setting.");
        }
        EXPECT_TRUE(ButtonsEnabled());
        EXPECT_FALSE(test_support::ShowsHourglass(form));
    }
}

TEST_F(Launch, AnEmptyAliasOrServerReturnsSilently) {
    CdoSettings cdo;
    MessageBoxAnswerer answerer;
    SetWindowTextA(GetDlgItem(form, IDC_TXT_EMAIL_ALIAS), "");
    LaunchAndWatch();
    SetWindowTextA(GetDlgItem(form, IDC_TXT_EMAIL_ALIAS), "jdoe");
    SendMessageA(GetDlgItem(form, IDC_CBO_MARKET), WM_KEYDOWN, VK_END, 0); // "[Other]", empty
    ASSERT_EQ(FrmVarnel_ServerText(form), "");
    LaunchAndWatch();
    EXPECT_TRUE(cdo.Calls().empty()) << "no session is created";
    EXPECT_TRUE(answerer.Shown().empty());
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_FALSE(test_support::ShowsHourglass(form));
}

TEST_F(Launch, WhileOutlookRunsOnlyTheMessageIsShown) {
    CdoSettings cdo;
    outlook_standin::Session outlook("window", 0);
    // An Outlook main window of whatever process.
    const launch_fixture::OutlookWindow outlookWindow;
    ASSERT_NE(outlookWindow.get(), nullptr);
    MessageBoxAnswerer answerer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, NoteTheWindow);
    cmdLogon_Click(form, kShortPause);
    KillTimer(nullptr, timer);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, "Microsoft Outlook is currently running.");
    EXPECT_TRUE(cdo.Calls().empty());
    EXPECT_TRUE(during.seen);
    EXPECT_TRUE(during.logonEnabled) << "the buttons are not touched";
    EXPECT_FALSE(during.hourglass);
    EXPECT_FALSE(outlook.WaitForEvent("start", 100));
}

TEST_F(Launch, ClosingTheWindowDuringTheWaitStillLogsOffAndEndsTheProgram) {
    CdoSettings cdo("LONMX01=jdoe", "", "Closing Profile");
    outlook_standin::Session outlook("window", 800);
    MessageBoxAnswerer answerer;
    // The user closes the window while the launch waits for Outlook's window.
    PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    cmdLogon_Click(form, kShortPause);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(QuitRequested()) << "the program ends once the launch is over";
    EXPECT_TRUE(outlook.WaitForEvent("window", 100)) << "the wait went on to Outlook's window";
    EXPECT_TRUE(cdo.Has("Logoff"));
    EXPECT_EQ(cdo.Calls().back(), "release");
    EXPECT_TRUE(answerer.Shown().empty());
}

} // namespace
