// The CDO session adapter against the stand-in "MAPI.Session" registered in the test prefix.
// The stand-in journals every call it receives, so these tests check what went over COM.

#include "launcher/cdo_session.h"
#include "platform/com_dispatch.h"

#include "support/launch_fixture.h"
#include "tests/unit/launch_fakes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kSessionInterfaceText = "{3FA7DEA8-6438-101B-ACC1-00AA00423326}";

// The stand-in's settings, on mailboxes of its own unless others are given, and its journal
// read as events: each "<event> <detail>" without its time stamp.
class StandIn {
  public:
    explicit StandIn(sandbox::CdoSettingsFile settings = {})
        : settings_(WithMailboxes(std::move(settings))) {}

    Lines Journal() const { return settings_.Calls(); }
    long Count(const std::string& event) const {
        const Lines events = Journal();
        return std::count(events.begin(), events.end(), event);
    }
    // The last event, or empty text when there is none.
    std::string Last() const {
        const Lines events = Journal();
        return events.empty() ? std::string() : events.back();
    }
    // The detail of the first event that starts with `prefix`, or nullopt.
    std::optional<std::string> Find(const std::string& prefix) const {
        for (const std::string& event : Journal()) {
            if (event.compare(0, prefix.size(), prefix) == 0) {
                return event.substr(prefix.size());
            }
        }
        return std::nullopt;
    }

  private:
    static sandbox::CdoSettingsFile WithMailboxes(sandbox::CdoSettingsFile settings) {
        if (settings.mailboxes.empty()) {
            settings.mailboxes = "MAIL01=jdoe,asmith";
        }
        return settings;
    }

    launch_fixture::CdoSettings settings_;
};

TEST(CdoSession, IsCreatedByProgIdAndAskedForTheSessionInterface) {
    StandIn standIn;
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    const Lines events = standIn.Journal();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "create");
    EXPECT_EQ(standIn.Count(std::string("QueryInterface ") + kSessionInterfaceText), 1);
    session.reset();
    EXPECT_EQ(standIn.Last(), "release");
}

TEST(CdoSession, LogonSendsTheProfileInformationAsItsOnlyNamedArgument) {
    StandIn standIn;
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    session->Logon(" MAIL01 \njdoe  ");
    // The stand-in writes the line feed as "\n" and takes positional arguments as a fault.
    EXPECT_EQ(standIn.Count("Logon args=1 named=6 ProfileInfo= MAIL01 \\njdoe  "), 1);
    EXPECT_FALSE(standIn.Find("Logon rejected").has_value());
}

TEST(CdoSession, TheAddressIsReadByNameFromTheCurrentUser) {
    StandIn standIn;
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    session->Logon("MAIL01\njdoe");
    const std::string address = session->CurrentUserAddress();
    EXPECT_NE(address, "Unknown");
    EXPECT_EQ(standIn.Find("Address -> "), address);
    EXPECT_EQ(standIn.Count("CurrentUser"), 1);
    EXPECT_EQ(standIn.Count("GetIDsOfNames Address"), 1);
    // The CurrentUser object is let go as soon as its address is read.
    EXPECT_EQ(standIn.Count("release-addressentry"), 1);
}

TEST(CdoSession, AnAliasTheServerDoesNotKnowGivesUnknown) {
    StandIn standIn;
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    session->Logon("MAIL01\nnobody");
    EXPECT_EQ(session->CurrentUserAddress(), "Unknown");
    EXPECT_EQ(standIn.Count("release-addressentry"), 1);
}

TEST(CdoSession, NameAndLogoff) {
    StandIn standIn({.profileName = "Roaming Profile 7"});
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    session->Logon("MAIL01\njdoe");
    EXPECT_EQ(session->Name(), "Roaming Profile 7");
    session->Logoff();
    EXPECT_EQ(standIn.Count("Logoff"), 1);
    session.reset();
    EXPECT_EQ(standIn.Last(), "release");
}

// Text goes both ways in the ANSI code page, so its characters beyond ASCII survive the trip.
TEST(CdoSession, AnsiTextSurvivesTheRoundTrip) {
    const std::string name = "Profil J\xF6rg \xC5sa";
    StandIn standIn({.profileName = name, .mailboxes = "MAIL01=j\xF6rg"});
    auto session = CreateCdoSession();
    ASSERT_NE(session, nullptr);
    session->Logon("MAIL01\nj\xF6rg");
    EXPECT_EQ(standIn.Count("Logon args=1 named=6 ProfileInfo=MAIL01\\nj\xF6rg"), 1);
    EXPECT_NE(session->CurrentUserAddress(), "Unknown") << "the alias reached the stand-in altered";
    EXPECT_EQ(session->Name(), name);
}

// A call that fails throws its code and what the code means, for the launch's trace.
std::string FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ComError& error) {
        return error.what();
    }
    return "";
}

TEST(CdoSession, CreationFailureGivesNoSession) {
    StandIn standIn({.fail = "Create", .failCode = "0x80040111"});
    EXPECT_EQ(FailureOf([] { CreateCdoSession(); }),
              "0x80040111 (MAPI_E_LOGON_FAILED: the logon failed)");
    EXPECT_EQ(standIn.Count("fail Create 0x80040111"), 1);
}

// Each injected failure reaches the launch as the failure of that one call, and the session
// is still released at the end.
TEST(CdoSession, EachFailingCallIsReportedAsFailed) {
    struct Case {
        const char* call;
        bool logon, address, name, logoff;
        long userObjects; // CurrentUser objects the stand-in hands out
    };
    const Case cases[] = {
        {"Logon", false, true, true, true, 1},   {"CurrentUser", true, false, true, true, 0},
        {"Address", true, false, true, true, 1}, {"Name", true, true, false, true, 1},
        {"Logoff", true, true, true, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        StandIn standIn({.fail = c.call, .failCode = "0x80040111"});
        auto session = CreateCdoSession();
        ASSERT_NE(session, nullptr);
        const auto succeeds = [](const std::function<void()>& call) {
            return FailureOf(call).empty();
        };
        EXPECT_EQ(succeeds([&] { session->Logon("MAIL01\njdoe"); }), c.logon);
        EXPECT_EQ(succeeds([&] { session->CurrentUserAddress(); }), c.address);
        EXPECT_EQ(succeeds([&] { session->Name(); }), c.name);
        EXPECT_EQ(succeeds([&] { session->Logoff(); }), c.logoff);
        EXPECT_EQ(standIn.Count(std::string("fail ") + c.call + " 0x80040111"), 1);
        session.reset();
        EXPECT_EQ(standIn.Last(), "release");
        // A CurrentUser object handed out is always given back.
        EXPECT_EQ(standIn.Count("release-addressentry"), c.userObjects);
    }
}

// The launch with the real adapter: what the CDO library sees, in order.
class CdoServices : public FakeServices {
  public:
    using FakeServices::FakeServices;
    std::unique_ptr<CdoSession> CreateSession() override { return CreateCdoSession(); }
};

// The calls in `log` that begin with `call`.
long CallsTo(const Log& log, const std::string& call) {
    return std::count_if(log.begin(), log.end(),
                         [&](const std::string& entry) { return entry.rfind(call, 0) == 0; });
}

TEST(CdoLaunch, LogsOnStartsOutlookOnTheReportedProfileAndLogsOff) {
    StandIn standIn({.profileName = "Roaming jdoe"});
    Log log;
    FakeWindow window(log);
    window.startupSwitch = "/resetfolders";
    CdoServices services(log);
    RunLaunch(window, services, "jdoe");
    EXPECT_EQ(CallsTo(log, "window.Warning"), 0);
    EXPECT_EQ(CallsTo(log, "services.RunAndWait C:\\Office\\OUTLOOK.EXE /resetfolders /profile "
                           "Roaming jdoe"),
              1);

    Lines calls;
    for (const std::string& event : standIn.Journal()) {
        if (event.rfind("QueryInterface", 0) != 0) {
            calls.push_back(event.substr(0, event.find(" -> ")));
        }
    }
    EXPECT_EQ(calls, (Lines{"create", "Logon args=1 named=6 ProfileInfo=MAIL01\\njdoe",
                            "CurrentUser", "GetIDsOfNames Address", "Address",
                            "release-addressentry", "Name", "Logoff", "release"}));
}

TEST(CdoLaunch, AnUnknownMailboxIsReportedAndTheSessionStillEnds) {
    StandIn standIn;
    Log log;
    FakeWindow window(log);
    CdoServices services(log);
    RunLaunch(window, services, "nobody");
    EXPECT_EQ(CallsTo(log, std::string("window.Warning ") + kNoMapiSessionMessage), 1);
    EXPECT_EQ(CallsTo(log, "services.RunAndWait"), 0);
    EXPECT_EQ(standIn.Count("Logoff"), 1);
    EXPECT_EQ(standIn.Last(), "release");
}

} // namespace
