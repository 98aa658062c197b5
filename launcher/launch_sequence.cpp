#include "launcher/launch_sequence.h"

#include "platform/debug_output.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace {

// What a step's failure was, for whoever debugs a launch that did less than expected; a
// release build says nothing, as the launch itself does.
void ReportCaught(const char* what) noexcept {
#ifndef NDEBUG
    char line[512];
    std::snprintf(line, sizeof line, "Varnel: a launch step failed: %s\n", what);
    DebugOutput(line);
#else
    (void)what;
#endif
}

// Runs one step of the launch. An error inside it ends that step only; the launch goes on.
template <typename Step> void RunStep(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
    } catch (const std::exception& error) {
        ReportCaught(error.what());
    } catch (...) {
        ReportCaught("an exception of unknown type");
    }
}

// A window whose state cannot be read is treated as gone: it is not touched again.
bool WindowExists(LaunchWindow& window) noexcept {
    bool exists = false;
    RunStep([&] { exists = window.Exists(); });
    return exists;
}

// Every change to the window goes through here, so a window closed during the wait is left
// alone.
template <typename Change> void ChangeWindow(LaunchWindow& window, Change&& change) noexcept {
    RunStep([&] {
        if (WindowExists(window)) {
            std::forward<Change>(change)();
        }
    });
}

void Warn(LaunchWindow& window, const char* text) noexcept {
    ChangeWindow(window, [&] { window.ShowWarning(text); });
}

// Reads CurrentUser's Address; only a successful read of exactly "Unknown" counts as a logon
// that reached no mailbox.
bool AddressIsUnknown(CdoSession& session) noexcept {
    bool unknown = false;
    RunStep([&] {
        const std::optional<std::string> address = session.CurrentUserAddress();
        unknown = address.has_value() && *address == kUnknownAddress;
    });
    return unknown;
}

// What the session is for: logon, the mailbox test, locating and starting Outlook. Returns
// when the launch goes on with Logoff.
void UseSession(CdoSession& session, LaunchWindow& window, LaunchServices& services,
                const std::string& server, const std::string& emailAlias) {
    RunStep([&] { session.Logon(ProfileInfo(server, emailAlias)); });

    if (AddressIsUnknown(session)) {
        Warn(window, kNoMapiSessionMessage);
        return;
    }

    std::string outlookPath;
    RunStep([&] { outlookPath = services.GetOutlookPath(); });
    if (outlookPath.empty()) {
        Warn(window, kOutlookNotFoundMessage);
        return;
    }

    // The parts are read in command-line order; the first that cannot be read ends the step
    // without starting Outlook.
    RunStep([&] {
        if (!WindowExists(window)) {
            return;
        }
        const std::optional<std::string> startupSwitch = window.StartupSwitch();
        if (!startupSwitch) {
            return;
        }
        const std::optional<std::string> profileName = session.Name();
        if (!profileName) {
            return;
        }
        if (!services.RunAndWait(OutlookCommandLine(outlookPath, *startupSwitch, *profileName))) {
            Warn(window, kOutlookNotFoundMessage);
        }
    });
}

} // namespace

std::string GetStartupSwitch(const std::array<StartupOption, kStartupOptionCount>& options) {
    std::string result;
    for (const StartupOption& option : options) {
        if (option.selected && option.caption != kNoSwitchCaption) {
            result = option.caption;
        }
    }
    return result;
}

std::string ProfileInfo(const std::string& server, const std::string& emailAlias) {
    return server + '\n' + emailAlias;
}

std::string OutlookCommandLine(const std::string& outlookPath, const std::string& startupSwitch,
                               const std::string& profileName) {
    return outlookPath + " " + startupSwitch + kProfileArgument + profileName;
}

void LaunchOutlook(LaunchWindow& window, LaunchServices& services, const std::string& emailAlias) {
    std::string server;
    RunStep([&] {
        if (WindowExists(window)) {
            server = window.ServerText().value_or(std::string());
        }
    });
    if (emailAlias.empty()) {
        return;
    }
    if (server.empty()) {
        return;
    }

    ChangeWindow(window, [&] { window.SetHourglass(true); });

    std::unique_ptr<CdoSession> session;
    RunStep([&] { session = services.CreateSession(); });
    if (session) {
        RunStep([&] { UseSession(*session, window, services, server, emailAlias); });
        RunStep([&] { session->Logoff(); });
        session.reset();
    }

    ChangeWindow(window, [&] { window.SetHourglass(false); });
}

void RunLaunch(LaunchWindow& window, LaunchServices& services, const std::string& emailAlias) {
    // If the test itself fails, nothing shows that Outlook runs: the launch goes ahead.
    bool outlookRunning = false;
    RunStep([&] { outlookRunning = services.IsOutlookRunning(); });
    if (outlookRunning) {
        Warn(window, kOutlookRunningMessage);
        return;
    }

    ChangeWindow(window, [&] { window.DisableLaunchButtons(); });
    RunStep([&] { LaunchOutlook(window, services, emailAlias); });
    ChangeWindow(window, [&] { window.EnableLaunchButtons(); });
}
