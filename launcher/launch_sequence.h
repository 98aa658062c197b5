#pragma once

// The launch of Outlook on a temporary CDO profile (module basVarnel): what the launch button
// does, step by step. The decisions are written against three small interfaces (the CDO
// session, the main window, the services of the rest of the program) so they run anywhere;
// the Windows layer implements the interfaces.

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

// The three messages the user can see; each is a warning box with one OK button.
inline constexpr const char* kOutlookRunningMessage = "Microsoft Outlook is currently running.";
inline constexpr const char* kNoMapiSessionMessage =
    "Unable to Establish MAPI Session. Verify the server setting.";
inline constexpr const char* kOutlookNotFoundMessage =
    "Outlook not found. Verify that Outlook is installed properly.";

// The CDO session object's programmatic identifier.
inline constexpr const char* kCdoSessionProgId = "MAPI.Session";
// The address CDO reports for the current user when the logon reached no mailbox.
inline constexpr const char* kUnknownAddress = "Unknown";
// The caption of the option button that adds no start-up switch.
inline constexpr const char* kNoSwitchCaption = "(none)";
// What stands between the start-up switch and the profile name on Outlook's command line.
inline constexpr const char* kProfileArgument = " /profile ";

inline constexpr std::size_t kStartupOptionCount = 6;

// One of the main window's start-up-switch option buttons (OptAdvanced).
struct StartupOption {
    bool selected;
    std::string caption;
};

// The caption of the selected option button, or empty text for "(none)" (exact, case-sensitive)
// and when nothing is selected. All six are visited: with two selected, the later one wins.
std::string GetStartupSwitch(const std::array<StartupOption, kStartupOptionCount>& options);

// The profile information CDO logs on with: server, one line feed, alias; both used unchanged.
std::string ProfileInfo(const std::string& server, const std::string& emailAlias);

// Outlook's command line: path, a space, the switch (may be empty), " /profile ", and the
// profile name as CDO reports it (not quoted).
std::string OutlookCommandLine(const std::string& outlookPath, const std::string& startupSwitch,
                               const std::string& profileName);

// One CDO session; destroying it releases the session object. A call that fails throws, saying
// why (what() names the failure code and its meaning).
class CdoSession {
  public:
    virtual ~CdoSession() = default;
    // Logon with ProfileInfo as its only argument.
    virtual void Logon(const std::string& profileInfo) = 0;
    // The Address of CurrentUser.
    virtual std::string CurrentUserAddress() = 0;
    // The name of the session's profile.
    virtual std::string Name() = 0;
    virtual void Logoff() = 0;
};

// What the launch needs of the main window.
class LaunchWindow {
  public:
    virtual ~LaunchWindow() = default;
    // false once the window is gone (the user may close it while Outlook starts).
    virtual bool Exists() = 0;
    // The server box's text; nullopt when it cannot be read.
    virtual std::optional<std::string> ServerText() = 0;
    // GetStartupSwitch over the window's option buttons; nullopt when they cannot be read.
    virtual std::optional<std::string> StartupSwitch() = 0;
    virtual void SetHourglass(bool on) = 0;
    // A warning box with one OK button, titled "Varnel".
    virtual void ShowWarning(const std::string& text) = 0;
    // cmdLogon then cmdCancel.
    virtual void DisableLaunchButtons() = 0;
    virtual void EnableLaunchButtons() = 0;
};

// The rest of the program, as the launch uses it.
class LaunchServices {
  public:
    virtual ~LaunchServices() = default;
    // A new "MAPI.Session"; throws, saying why, when it cannot be created or lacks the Session
    // interface.
    virtual std::unique_ptr<CdoSession> CreateSession() = 0;
    virtual bool IsOutlookRunning() = 0;
    // Outlook's program from its open command; empty when none is found.
    virtual std::string GetOutlookPath() = 0;
    // Starts the command line and waits until it ends or Outlook's window is up; false when no
    // process was started.
    virtual bool RunAndWait(const std::string& commandLine) = 0;
    // One line of the launch's trace: what a step did and how it ended.
    virtual void Trace(const std::string& line) noexcept = 0;
};

// The launch itself. A step that fails (a false or empty answer, or an exception) skips the rest
// of that step and the launch goes on with the next one; nothing escapes. This is the one place
// where failures are caught: the layers below let exceptions through to here. Each step is
// traced, and each error that skipped the rest of a step, with the step and the error. A created
// session is always logged off and released. Once the window is gone nothing touches it any
// more.
void LaunchOutlook(LaunchWindow& window, LaunchServices& services, const std::string& emailAlias);

// Windows is ending the session and may end the process once the window has answered: a launch
// under way logs its session off and releases it now, as its last step would, and says why; the
// launch then finds no session left. Does nothing when no session is open. Returns at once
// however Logoff ends.
void LogOffForSessionEnd() noexcept;

// What the launch button (cmdLogon_Click) does: refuses while Outlook runs, otherwise locks the
// two buttons around LaunchOutlook and unlocks them however it ended.
void RunLaunch(LaunchWindow& window, LaunchServices& services, const std::string& emailAlias);
