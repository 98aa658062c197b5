#include "launcher/launch_sequence.h"

#include "launch_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

const std::string kPath = "C:\\Office\\OUTLOOK.EXE";
const std::string kRun = "services.RunAndWait " + kPath + "  /profile MAPI00001";
const std::string kLogon = "session.Logon MAIL01\njdoe";
const std::string kUnableWarning = std::string("window.Warning ") + kNoMapiSessionMessage;
const std::string kNotFoundWarning = std::string("window.Warning ") + kOutlookNotFoundMessage;

class Launch : public ::testing::Test {
  protected:
    void Click() { RunLaunch(window, services, alias); }
    long Count(const std::string& call) const { return std::count(log.begin(), log.end(), call); }
    // The calls logged after the first occurrence of `call`.
    Log After(const std::string& call) const {
        const auto at = std::find(log.begin(), log.end(), call);
        return at == log.end() ? Log{} : Log(at + 1, log.end());
    }

    Log log;
    FakeWindow window{log};
    FakeServices services{log};
    std::string alias = "jdoe";
};

// The launch when everything works, call by call.
TEST_F(Launch, RunsEveryStepInOrderAndLogsOffAfterTheRunnerReturns) {
    Click();
    EXPECT_EQ(log, (Log{"services.IsOutlookRunning", "window.DisableLaunchButtons",
                        "window.ServerText", "window.Hourglass on", "services.CreateSession",
                        kLogon, "session.CurrentUserAddress", "services.GetOutlookPath",
                        "window.StartupSwitch", "session.Name", kRun, "session.Logoff",
                        "session.release", "window.Hourglass off", "window.EnableLaunchButtons"}));
}

TEST_F(Launch, TheCommandLineCarriesTheSwitchAndTheUnquotedProfileName) {
    services.outlookPath = "C:\\Program Files\\Microsoft Office\\OUTLOOK.EXE";
    window.startupSwitch = "/resetfolders";
    services.session.nameText = "Roaming Profile 2";
    Click();
    EXPECT_EQ(Count("services.RunAndWait C:\\Program Files\\Microsoft Office\\OUTLOOK.EXE "
                    "/resetfolders /profile Roaming Profile 2"),
              1);
}

TEST_F(Launch, ServerAndAliasReachTheLogonUntrimmed) {
    window.server = "  MAIL01 ";
    alias = " jdoe  ";
    Click();
    EXPECT_EQ(Count("session.Logon   MAIL01 \n jdoe  "), 1);
}

TEST_F(Launch, OutlookAlreadyRunningShowsOnlyTheMessage) {
    services.running = Outcome::Succeed;
    Click();
    EXPECT_EQ(log, (Log{"services.IsOutlookRunning",
                        std::string("window.Warning ") + kOutlookRunningMessage}));
}

TEST_F(Launch, AProbeThatFailsDoesNotStopTheLaunch) {
    services.running = Outcome::Throw;
    Click();
    EXPECT_EQ(Count(kRun), 1);
    EXPECT_EQ(log.back(), "window.EnableLaunchButtons");
}

// Without an alias or a server nothing but the server read happens between the buttons.
TEST_F(Launch, AnEmptyAliasOrServerReturnsSilentlyBetweenTheButtons) {
    const Log silent{"services.IsOutlookRunning", "window.DisableLaunchButtons",
                     "window.ServerText", "window.EnableLaunchButtons"};
    alias.clear();
    Click();
    EXPECT_EQ(log, silent) << "empty alias";

    log.clear();
    alias = "jdoe";
    window.server.clear();
    Click();
    EXPECT_EQ(log, silent) << "empty server";

    log.clear();
    window.serverRead = Outcome::Fail;
    window.server = "MAIL01";
    Click();
    EXPECT_EQ(log, silent) << "server read fails";

    log.clear();
    window.serverRead = Outcome::Throw;
    Click();
    EXPECT_EQ(log, silent) << "server read throws";
}

// The server is read first, even though the alias is tested before it.
TEST_F(Launch, TheServerIsReadBeforeAnEmptyAliasEndsTheLaunch) {
    alias.clear();
    window.server.clear();
    LaunchOutlook(window, services, alias);
    EXPECT_EQ(log, (Log{"window.ServerText"}));
}

TEST_F(Launch, NoSessionSkipsToThePointerWithoutAMessage) {
    for (Outcome create : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        services.create = create;
        Click();
        EXPECT_EQ(log, (Log{"services.IsOutlookRunning", "window.DisableLaunchButtons",
                            "window.ServerText", "window.Hourglass on", "services.CreateSession",
                            "window.Hourglass off", "window.EnableLaunchButtons"}))
            << "create " << static_cast<int>(create);
    }
}

TEST_F(Launch, AFailedLogonGoesOnWithTheMailboxTest) {
    for (Outcome logon : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        services.session.logon = logon;
        Click();
        EXPECT_EQ(After(kLogon).front(), "session.CurrentUserAddress");
        EXPECT_EQ(Count(kRun), 1);
    }
}

TEST_F(Launch, UnknownAddressWarnsThenLogsOffWithoutLookingForOutlook) {
    services.session.addressText = "Unknown";
    Click();
    EXPECT_EQ(After("session.CurrentUserAddress"),
              (Log{kUnableWarning, "session.Logoff", "session.release", "window.Hourglass off",
                   "window.EnableLaunchButtons"}));
}

TEST_F(Launch, OnlyExactlyUnknownStopsTheLaunch) {
    for (const char* address : {"unknown", " Unknown", "Unknown ", "UNKNOWN", ""}) {
        log.clear();
        services.session.addressText = address;
        Click();
        EXPECT_EQ(Count(kRun), 1) << '"' << address << '"';
        EXPECT_EQ(Count(kUnableWarning), 0) << '"' << address << '"';
    }
}

TEST_F(Launch, AnAddressThatCannotBeReadCountsAsAMailbox) {
    for (Outcome address : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        services.session.address = address;
        Click();
        EXPECT_EQ(After("session.CurrentUserAddress").front(), "services.GetOutlookPath");
        EXPECT_EQ(Count(kRun), 1);
        EXPECT_EQ(Count(kUnableWarning), 0);
    }
}

TEST_F(Launch, NoOutlookPathWarnsThenLogsOff) {
    for (Outcome locate : {Outcome::Succeed, Outcome::Throw}) {
        log.clear();
        services.outlookPath.clear();
        services.locate = locate;
        Click();
        EXPECT_EQ(After("services.GetOutlookPath"),
                  (Log{kNotFoundWarning, "session.Logoff", "session.release",
                       "window.Hourglass off", "window.EnableLaunchButtons"}));
    }
}

TEST_F(Launch, AnUnreadableSwitchStartsNothingAndReadsNoName) {
    for (Outcome read : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        window.switchRead = read;
        Click();
        EXPECT_EQ(After("window.StartupSwitch"),
                  (Log{"session.Logoff", "session.release", "window.Hourglass off",
                       "window.EnableLaunchButtons"}));
    }
}

TEST_F(Launch, AnUnreadableProfileNameStartsNothing) {
    for (Outcome name : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        services.session.name = name;
        Click();
        EXPECT_EQ(After("session.Name"),
                  (Log{"session.Logoff", "session.release", "window.Hourglass off",
                       "window.EnableLaunchButtons"}));
    }
}

TEST_F(Launch, NothingStartedWarnsThatOutlookIsMissingThenLogsOff) {
    services.run = Outcome::Fail;
    Click();
    EXPECT_EQ(After(kRun), (Log{kNotFoundWarning, "session.Logoff", "session.release",
                                "window.Hourglass off", "window.EnableLaunchButtons"}));
}

TEST_F(Launch, ARunnerErrorGoesOnWithLogoffWithoutAMessage) {
    services.run = Outcome::Throw;
    Click();
    EXPECT_EQ(After(kRun), (Log{"session.Logoff", "session.release", "window.Hourglass off",
                                "window.EnableLaunchButtons"}));
}

// Every failure that the continue-on-error rule passes over is traced with its step and its
// cause, so that a launch that did less than expected can be explained.
TEST(LaunchTrace, EachFailureIsTracedWithItsStepAndItsCause) {
    using Setup = std::function<void(FakeWindow&, FakeServices&)>;
    const struct {
        Setup fail;
        std::string traced;
    } failures[] = {
        {[](FakeWindow& w, FakeServices&) { w.serverRead = Outcome::Throw; },
         "reading the server box failed: window read failed"},
        {[](FakeWindow& w, FakeServices&) { w.serverRead = Outcome::Fail; },
         "the server box cannot be read"},
        {[](FakeWindow&, FakeServices& s) { s.create = Outcome::Throw; },
         "CreateObject(\"MAPI.Session\") failed: create failed"},
        {[](FakeWindow&, FakeServices& s) { s.session.logon = Outcome::Fail; },
         "Logon failed: Logon refused"},
        {[](FakeWindow&, FakeServices& s) { s.session.address = Outcome::Fail; },
         "CurrentUser.Address failed: Address refused"},
        {[](FakeWindow&, FakeServices& s) { s.locate = Outcome::Throw; },
         "finding Outlook failed: locator failed"},
        {[](FakeWindow& w, FakeServices&) { w.switchRead = Outcome::Fail; },
         "the start-up switch cannot be read"},
        {[](FakeWindow&, FakeServices& s) { s.session.name = Outcome::Fail; },
         "Name failed: Name refused"},
        {[](FakeWindow&, FakeServices& s) { s.run = Outcome::Throw; },
         "starting Outlook failed: runner failed"},
        {[](FakeWindow&, FakeServices& s) { s.session.logoff = Outcome::Throw; },
         "Logoff failed: std::bad_alloc"},
    };
    for (const auto& failure : failures) {
        Log log;
        FakeWindow window(log);
        FakeServices services(log);
        failure.fail(window, services);
        RunLaunch(window, services, "jdoe");
        const auto said = std::find_if(
            services.traced.begin(), services.traced.end(),
            [&](const std::string& line) { return line.rfind(failure.traced, 0) == 0; });
        EXPECT_NE(said, services.traced.end()) << failure.traced << "\n"
                                               << ::testing::PrintToString(services.traced);
        EXPECT_EQ(services.traced.back(), "the launch is over") << failure.traced;
    }
}

TEST_F(Launch, AFailedLogoffStillReleasesAndResetsThePointer) {
    for (Outcome logoff : {Outcome::Fail, Outcome::Throw}) {
        log.clear();
        services.session.logoff = logoff;
        Click();
        EXPECT_EQ(After("session.Logoff"),
                  (Log{"session.release", "window.Hourglass off", "window.EnableLaunchButtons"}));
    }
}

// Window calls that throw (pointer, message box, buttons) cost only their own step.
TEST_F(Launch, FailingWindowCallsDoNotStopTheLaunch) {
    window.throwFromChanges = true;
    services.session.addressText = "Unknown";
    Click();
    EXPECT_EQ(log, (Log{"services.IsOutlookRunning", "window.DisableLaunchButtons",
                        "window.ServerText", "window.Hourglass on", "services.CreateSession",
                        kLogon, "session.CurrentUserAddress", kUnableWarning, "session.Logoff",
                        "session.release", "window.Hourglass off", "window.EnableLaunchButtons"}));
}

TEST(LaunchSession, IsLoggedOffAndReleasedOnceOnEveryPath) {
    using Setup = std::function<void(FakeWindow&, FakeServices&)>;
    const std::vector<Setup> paths = {
        [](FakeWindow&, FakeServices&) {},
        [](FakeWindow&, FakeServices& s) { s.session.addressText = "Unknown"; },
        [](FakeWindow&, FakeServices& s) { s.outlookPath.clear(); },
        [](FakeWindow& w, FakeServices&) { w.switchRead = Outcome::Fail; },
        [](FakeWindow&, FakeServices& s) { s.run = Outcome::Fail; },
        [](FakeWindow&, FakeServices& s) { s.session.logon = Outcome::Throw; },
    };
    for (std::size_t path = 0; path < paths.size(); ++path) {
        Log log;
        FakeWindow window(log);
        FakeServices services(log);
        paths[path](window, services);
        RunLaunch(window, services, "jdoe");
        EXPECT_EQ(std::count(log.begin(), log.end(), "session.Logoff"), 1) << "path " << path;
        const auto logoff = std::find(log.begin(), log.end(), "session.Logoff");
        ASSERT_NE(logoff, log.end()) << "path " << path;
        EXPECT_EQ(Log(logoff + 1, log.end()),
                  (Log{"session.release", "window.Hourglass off", "window.EnableLaunchButtons"}))
            << "path " << path;
    }
}

// The user closes the main window while Outlook starts: the launch finishes without it.
TEST_F(Launch, AWindowClosedDuringTheWaitIsNotTouchedAgain) {
    for (Outcome run : {Outcome::Succeed, Outcome::Fail, Outcome::Throw}) {
        log.clear();
        window.exists = true;
        services.run = run;
        services.duringRun = [this] { window.exists = false; };
        Click();
        EXPECT_EQ(After(kRun), (Log{"session.Logoff", "session.release"}))
            << "runner outcome " << static_cast<int>(run);
    }
}

// Without a window there is no switch to read: Outlook is not started, the session still ends.
TEST_F(Launch, AWindowGoneBeforeTheCommandLineStartsNothing) {
    services.duringLocate = [this] { window.exists = false; };
    Click();
    EXPECT_EQ(After("services.GetOutlookPath"), (Log{"session.Logoff", "session.release"}));
}

TEST(StartupSwitch, EachButtonWithItsLoadCaption) {
    const std::array<std::string, kStartupOptionCount> captions = {
        "(none)", "/cleanfreebusy", "/cleanschedplus", "", "/cleanreminders", "/resetfolders"};
    const std::array<std::string, kStartupOptionCount> expected = {
        "", "/cleanfreebusy", "/cleanschedplus", "", "/cleanreminders", "/resetfolders"};
    for (std::size_t selected = 0; selected < kStartupOptionCount; ++selected) {
        std::array<StartupOption, kStartupOptionCount> options;
        for (std::size_t i = 0; i < kStartupOptionCount; ++i) {
            options[i] = {i == selected, captions[i]};
        }
        EXPECT_EQ(GetStartupSwitch(options), expected[selected]) << "button " << selected;
    }
}

TEST(StartupSwitch, AllSixAreVisitedAndTheLastSelectedSwitchWins) {
    std::array<StartupOption, kStartupOptionCount> options = {{{false, "(none)"},
                                                               {true, "/cleanfreebusy"},
                                                               {false, "/cleanschedplus"},
                                                               {false, ""},
                                                               {false, "/cleanreminders"},
                                                               {true, "/resetfolders"}}};
    EXPECT_EQ(GetStartupSwitch(options), "/resetfolders");

    // A later "(none)" leaves an earlier switch in place; any other caption replaces it, even
    // an empty one.
    options[5].selected = false;
    options[0].selected = true;
    EXPECT_EQ(GetStartupSwitch(options), "/cleanfreebusy");
    options[3].selected = true;
    EXPECT_EQ(GetStartupSwitch(options), "");

    for (StartupOption& option : options) {
        option.selected = false;
    }
    EXPECT_EQ(GetStartupSwitch(options), "");
}

TEST(StartupSwitch, OnlyTheExactNoneCaptionMeansNoSwitch) {
    std::array<StartupOption, kStartupOptionCount> options = {
        {{true, "(None)"}, {false, ""}, {false, ""}, {false, ""}, {false, ""}, {false, ""}}};
    EXPECT_EQ(GetStartupSwitch(options), "(None)");
    options[0].caption = " (none)";
    EXPECT_EQ(GetStartupSwitch(options), " (none)");
}

TEST(CommandLine, NoSwitchLeavesTwoSpacesBeforeProfile) {
    EXPECT_EQ(OutlookCommandLine("C:\\Office\\OUTLOOK.EXE", "", "MAPI00001"),
              "C:\\Office\\OUTLOOK.EXE  /profile MAPI00001");
    EXPECT_EQ(OutlookCommandLine("C:\\Office\\OUTLOOK.EXE", "/resetfolders", "Roaming jdoe"),
              "C:\\Office\\OUTLOOK.EXE /resetfolders /profile Roaming jdoe");
}

TEST(ProfileInformation, ServerLineFeedAliasAndNothingElse) {
    EXPECT_EQ(ProfileInfo("MAIL01", "jdoe"), "MAIL01\njdoe");
    EXPECT_EQ(ProfileInfo(" MAIL01  ", "  jdoe "), " MAIL01  \n  jdoe ");
}

} // namespace
