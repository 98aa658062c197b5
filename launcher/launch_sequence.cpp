#include "launcher/launch_sequence.h"

#include "launcher/outlook.h"

#include <exception>
#include <initializer_list>
#include <string_view>
#include <type_traits>

namespace {

// One line of the launch's trace, made of `parts`; a line that cannot be made is left out.
void Say(LaunchServices& services, std::initializer_list<std::string_view> parts) noexcept {
    try {
        std::string line;
        for (const std::string_view part : parts) {
            line += part;
        }
        services.Trace(line);
    } catch (...) {
        // No memory for the line: the trace goes without it.
    }
}

// A step's body, by reference, for the length of the call that runs it: one function catches
// for every step (RunStep), so each step adds only its own code.
class StepBody {
  public:
    template <typename Body>
    StepBody(Body&& body) noexcept // a lambda, written where the step is
        : body_(&body),
          run_([](void* body) { (*static_cast<std::remove_reference_t<Body>*>(body))(); }) {}
    void operator()() const { run_(body_); }

  private:
    void* body_;
    void (*run_)(void*);
};

// Runs one step of the launch. An error inside it ends that step only; the launch goes on, and
// the trace says which step the error cut short, and why.
void RunStep(LaunchServices& services, std::string_view step, StepBody body) noexcept {
    try {
        body();
    } catch (const std::exception& error) {
        Say(services, {step, " failed: ", error.what(), "; the rest of this step is skipped"});
    } catch (...) {
        Say(services,
            {step, " failed: an error of unknown kind; the rest of this step is skipped"});
    }
}

// A window whose state cannot be read is treated as gone: it is not touched again.
bool WindowExists(LaunchWindow& window, LaunchServices& services) noexcept {
    bool exists = false;
    RunStep(services, "asking for the main window", [&] { exists = window.Exists(); });
    return exists;
}

// Every change to the window goes through here, so a window closed during the wait is left
// alone.
void ChangeWindow(LaunchWindow& window, LaunchServices& services, std::string_view step,
                  StepBody change) noexcept {
    RunStep(services, step, [&] {
        if (WindowExists(window, services)) {
            change();
        }
    });
}

void Warn(LaunchWindow& window, LaunchServices& services, const char* text) noexcept {
    ChangeWindow(window, services, "showing a message", [&] {
        Say(services, {"shows the message \"", text, "\""});
        window.ShowWarning(text);
    });
}

// Reads CurrentUser's Address; only a successful read of exactly "Unknown" counts as a logon
// that reached no mailbox.
bool AddressIsUnknown(CdoSession& session, LaunchServices& services) noexcept {
    bool unknown = false;
    RunStep(services, "CurrentUser.Address", [&] {
        const std::string address = session.CurrentUserAddress();
        unknown = address == kUnknownAddress;
        Say(services, {"CurrentUser.Address: \"", address, "\"",
                       unknown ? ": the logon reached no mailbox" : ": a mailbox"});
    });
    return unknown;
}

// Builds Outlook's command line and has the runner start it and wait. The parts are read in
// command-line order; the first that cannot be read ends the step without starting Outlook.
void StartOutlook(CdoSession& session, LaunchWindow& window, LaunchServices& services,
                  const std::string& outlookPath) {
    if (!WindowExists(window, services)) {
        Say(services, {"the main window is gone: Outlook is not started"});
        return;
    }
    const std::optional<std::string> startupSwitch = window.StartupSwitch();
    if (!startupSwitch) {
        Say(services, {"the start-up switch cannot be read: Outlook is not started"});
        return;
    }
    std::optional<std::string> profileName;
    RunStep(services, "Name", [&] { profileName = session.Name(); });
    if (!profileName) {
        return;
    }
    const std::string commandLine = OutlookCommandLine(outlookPath, *startupSwitch, *profileName);
    Say(services, {"RunAndWait: ", commandLine});
    if (!services.RunAndWait(commandLine)) {
        Warn(window, services, kOutlookNotFoundMessage);
    }
}

// What the session is for: logon, the mailbox test, locating and starting Outlook. Returns
// when the launch goes on with Logoff.
void UseSession(CdoSession& session, LaunchWindow& window, LaunchServices& services,
                const std::string& server, const std::string& emailAlias) {
    Say(services, {"Logon: server=", server, ", alias=", emailAlias});
    RunStep(services, "Logon", [&] {
        session.Logon(ProfileInfo(server, emailAlias));
        Say(services, {"Logon: succeeded"});
    });

    if (AddressIsUnknown(session, services)) {
        Warn(window, services, kNoMapiSessionMessage);
        return;
    }

    std::string outlookPath;
    RunStep(services, "finding Outlook", [&] { outlookPath = services.GetOutlookPath(); });
    if (outlookPath.empty()) {
        Warn(window, services, kOutlookNotFoundMessage);
        return;
    }

    RunStep(services, "starting Outlook",
            [&] { StartOutlook(session, window, services, outlookPath); });
}

// The launch's session while it is at work, and the services it reports through: what
// LogOffForSessionEnd ends.
std::unique_ptr<CdoSession>* sessionAtWork = nullptr;
LaunchServices* servicesAtWork = nullptr;

// The launch's last step with a session: Logoff, whatever came before, then the release.
void LogOffAndRelease(std::unique_ptr<CdoSession>& session, LaunchServices& services) noexcept {
    RunStep(services, "Logoff", [&] {
        session->Logoff();
        Say(services, {"Logoff: succeeded"});
    });
    session.reset();
    Say(services, {"the session is released"});
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
    RunStep(services, "reading the server box", [&] {
        if (WindowExists(window, services)) {
            const std::optional<std::string> text = window.ServerText();
            if (!text) {
                Say(services, {"the server box cannot be read"});
            }
            server = text.value_or(std::string());
        }
    });
    if (emailAlias.empty()) {
        Say(services, {"the e-mail alias is empty: nothing is launched"});
        return;
    }
    if (server.empty()) {
        Say(services, {"the server is empty: nothing is launched"});
        return;
    }

    ChangeWindow(window, services, "setting the hourglass", [&] { window.SetHourglass(true); });

    std::unique_ptr<CdoSession> session;
    RunStep(services, "CreateObject(\"MAPI.Session\")", [&] {
        session = services.CreateSession();
        Say(services, {"CreateObject(\"MAPI.Session\"): ", session ? "created" : "no session"});
    });
    if (session) {
        sessionAtWork = &session;
        servicesAtWork = &services;
        RunStep(services, "the session's work",
                [&] { UseSession(*session, window, services, server, emailAlias); });
        sessionAtWork = nullptr;
        // Unless the end of the Windows session has logged it off already.
        if (session) {
            LogOffAndRelease(session, services);
        }
    }

    ChangeWindow(window, services, "resetting the pointer", [&] { window.SetHourglass(false); });
}

void LogOffForSessionEnd() noexcept {
    if (sessionAtWork != nullptr && *sessionAtWork != nullptr) {
        Say(*servicesAtWork, {"the Windows session is ending: the launch logs off now"});
        LogOffAndRelease(*sessionAtWork, *servicesAtWork);
    }
}

void RunLaunch(LaunchWindow& window, LaunchServices& services, const std::string& emailAlias) {
    // If the test itself fails, nothing shows that Outlook runs: the launch goes ahead.
    bool outlookRunning = false;
    RunStep(services, "looking for a running Outlook",
            [&] { outlookRunning = services.IsOutlookRunning(); });
    if (outlookRunning) {
        Say(services, {"Outlook is already running (a window of class ", kOutlookWindowClass,
                       " exists): nothing is launched"});
        Warn(window, services, kOutlookRunningMessage);
        return;
    }

    Say(services, {"the launch begins"});
    ChangeWindow(window, services, "locking the buttons", [&] { window.DisableLaunchButtons(); });
    RunStep(services, "the launch", [&] { LaunchOutlook(window, services, emailAlias); });
    ChangeWindow(window, services, "unlocking the buttons", [&] { window.EnableLaunchButtons(); });
    Say(services, {"the launch is over"});
}
