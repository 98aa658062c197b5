// Fifty launches in a row from one main window, against the stand-in CDO library and the
// stand-in Outlook, cycling through every outcome a launch has: nothing piles up (kernel
// handles, USER and GDI objects) and every session that was created is logged off and
// released.
#include "support/gui_objects.h"
#include "support/handle_count.h"
#include "support/launch_fixture.h"
#include "support/main_window.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_varnel.h"
#include "ui/frm_varnel_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using launch_fixture::CdoSettings;
using launch_fixture::MessageBoxAnswerer;
using launch_fixture::OutlookRegistration;

constexpr unsigned long kShortPause = 50;
constexpr int kLaunches = 50;
constexpr const char* kUnknown = "Unable to Establish MAPI Session. Verify the server setting.";
constexpr const char* kNotFound = "Outlook not found. Verify that Outlook is installed properly.";

enum class Registration { StandIn, Missing, NotStartable };

// One kind of launch: how the stand-ins are set up, and what the launch must then do.
struct Outcome {
    const char* name;
    const char* mailboxes; // the CDO stand-in's [Mailboxes] line
    const char* fail;      // the CDO call that fails, or ""
    Registration registration;
    const char* outlookMode; // "exit" or "window" (0 ms delay)
    bool sessionCreated;
    bool outlookStarts;
    const char* message; // the one message shown, or nullptr
};

const Outcome kOutcomes[] = {
    {"Outlook starts and exits", "LONMX01=jdoe", "", Registration::StandIn, "exit", true, true,
     nullptr},
    {"Outlook opens its window", "LONMX01=jdoe", "", Registration::StandIn, "window", true, true,
     nullptr},
    {"unknown address", "LONMX01=someoneelse", "", Registration::StandIn, "exit", true, false,
     kUnknown},
    {"Outlook not registered", "LONMX01=jdoe", "", Registration::Missing, "exit", true, false,
     kNotFound},
    {"Outlook not startable", "LONMX01=jdoe", "", Registration::NotStartable, "exit", true, false,
     kNotFound},
    {"Create fails", "LONMX01=jdoe", "Create", Registration::StandIn, "exit", false, false,
     nullptr},
    {"Logon fails", "LONMX01=jdoe", "Logon", Registration::StandIn, "exit", true, false, kUnknown},
    {"CurrentUser fails", "LONMX01=jdoe", "CurrentUser", Registration::StandIn, "exit", true, true,
     nullptr},
    {"Address fails", "LONMX01=jdoe", "Address", Registration::StandIn, "exit", true, true,
     nullptr},
    {"Name fails", "LONMX01=jdoe", "Name", Registration::StandIn, "exit", true, false, nullptr},
    {"Logoff fails", "LONMX01=jdoe", "Logoff", Registration::StandIn, "exit", true, true, nullptr},
};
constexpr int kOutcomeCount = static_cast<int>(std::size(kOutcomes));

long Count(const std::vector<std::string>& calls, const std::string& call) {
    return static_cast<long>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
        return c == call || c.rfind(call + " ", 0) == 0;
    }));
}

class LaunchSoak : public test_support::MainWindowTest {
  protected:
    void SetUp() override { OpenMain(); }

    // One launch of the given kind, checked on its own: the CDO calls it added to the journal,
    // whether Outlook was started, and the message it showed.
    void LaunchOnce(const Outcome& outcome, int number) {
        SCOPED_TRACE("launch " + std::to_string(number) + ": " + outcome.name);
        cdo.Set(outcome.mailboxes, outcome.fail);
        switch (outcome.registration) {
        case Registration::StandIn:
            registration.Set(launch_fixture::StandInCommand());
            break;
        case Registration::Missing:
            registration.Remove();
            break;
        case Registration::NotStartable:
            registration.Set("\"C:\\nowhere\\OUTLOOK.EXE\" /select \"%1\"");
            break;
        }
        const std::size_t callsBefore = cdo.Calls().size();
        const std::size_t shownBefore = answerer.Shown().size();
        {
            const outlook_standin::Session outlook(outcome.outlookMode);
            cmdLogon_Click(form, kShortPause);
            const auto started = outlook.WaitForEvent("start", outcome.outlookStarts ? 2000 : 0);
            EXPECT_EQ(started.has_value(), outcome.outlookStarts);
        } // the stand-in Outlook is ended here, whatever it did

        const std::vector<std::string> all = cdo.Calls();
        const std::vector<std::string> calls(all.begin() + static_cast<long>(callsBefore),
                                             all.end());
        EXPECT_EQ(Count(calls, "create"), 1) << ::testing::PrintToString(calls);
        const long sessions = outcome.sessionCreated ? 1 : 0;
        EXPECT_EQ(Count(calls, "Logoff"), sessions) << ::testing::PrintToString(calls);
        EXPECT_EQ(Count(calls, "release"), sessions) << ::testing::PrintToString(calls);
        // Every address entry handed out (a CurrentUser read that did not fail) is released.
        EXPECT_EQ(Count(calls, "release-addressentry"),
                  Count(calls, "CurrentUser") - Count(calls, "fail CurrentUser"))
            << ::testing::PrintToString(calls);
        if (outcome.sessionCreated) {
            EXPECT_FALSE(calls.empty() || calls.back() != "release")
                << "released last: " << ::testing::PrintToString(calls);
        }

        // The answerer looks every 100 ms: a message is answered by the time the launch ends.
        const std::vector<launch_fixture::ShownMessage>& shown = answerer.Shown();
        ASSERT_EQ(shown.size() - shownBefore, outcome.message != nullptr ? 1u : 0u);
        if (outcome.message != nullptr) {
            EXPECT_EQ(shown.back().text, outcome.message);
        }
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form, IDC_CMD_LOGON)));
        EXPECT_FALSE(test_support::ShowsHourglass(form));
    }

    OutlookRegistration registration;
    // One journal for the whole run; the settings are rewritten before each launch.
    CdoSettings cdo;
    MessageBoxAnswerer answerer;
};

TEST_F(LaunchSoak, FiftyLaunchesOfEveryOutcomeLeaveNothingBehind) {
    // Ends the stand-ins should a launch wait for an Outlook that never comes.
    const outlook_standin::Watchdog watchdog(150000);

    // One launch of every kind first, so that what the system loads once per process (the
    // COM library, the message box's icon and font) is in place before anything is counted.
    for (int i = 0; i < kOutcomeCount; ++i) {
        LaunchOnce(kOutcomes[i], -i - 1);
    }
    ASSERT_FALSE(HasFailure()) << "every kind of launch works before the soak starts";

    long handlesAfterFirst = 0;
    test_support::GuiObjectCount guiAfterFirst;
    for (int launch = 1; launch <= kLaunches; ++launch) {
        LaunchOnce(kOutcomes[(launch - 1) % kOutcomeCount], launch);
        test_support::PumpFor(20); // the answered message boxes are gone
        if (launch == 1) {
            handlesAfterFirst = test_support::OpenHandleCount();
            guiAfterFirst = test_support::GuiObjects();
        }
    }
    const long handlesAfterLast = test_support::OpenHandleCount();
    const test_support::GuiObjectCount guiAfterLast = test_support::GuiObjects();

    RecordProperty("handles", std::to_string(handlesAfterFirst));
    RecordProperty("user_objects", std::to_string(guiAfterFirst.user));
    RecordProperty("gdi_objects", std::to_string(guiAfterFirst.gdi));
    ASSERT_GT(handlesAfterFirst, 0) << "the handle count must be readable";
    ASSERT_GT(guiAfterFirst.user, 0) << "the USER object count must be readable";
    ASSERT_GT(guiAfterFirst.gdi, 0) << "the GDI object count must be readable";
    EXPECT_EQ(handlesAfterLast, handlesAfterFirst) << "kernel handles";
    EXPECT_EQ(guiAfterLast.user, guiAfterFirst.user) << "USER objects";
    EXPECT_EQ(guiAfterLast.gdi, guiAfterFirst.gdi) << "GDI objects";

    // Over the whole run: every session created was logged off and released.
    const std::vector<std::string> calls = cdo.Calls();
    const long failedCreates = Count(calls, "fail Create");
    EXPECT_EQ(Count(calls, "create"), kOutcomeCount + kLaunches);
    EXPECT_EQ(Count(calls, "Logoff"), Count(calls, "create") - failedCreates);
    EXPECT_EQ(Count(calls, "release"), Count(calls, "create") - failedCreates);
}

} // namespace
