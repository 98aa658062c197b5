#pragma once

// The stand-in Outlook's settings: environment variables, with outlook-standin.ini beside the
// program as the fallback when VARNEL_OUTLOOK_MODE is not set.

#include <string>

namespace sandbox {

enum class OutlookMode {
    Window, // after the delay, show a window of class "rctrl_renwnd32"; run until it is closed
    Exit,   // end at once with the configured exit code
    Stay,   // run without a window until WM_QUIT reaches the thread (or the process is killed)
};

struct OutlookConfig {
    OutlookMode mode = OutlookMode::Window;
    unsigned delayMs = 0;
    unsigned exitCode = 0;
    std::string journal; // Windows path; empty: no journal
};

// Environment: VARNEL_OUTLOOK_MODE (window | exit | stay), VARNEL_OUTLOOK_DELAY_MS,
// VARNEL_OUTLOOK_EXIT_CODE, VARNEL_OUTLOOK_JOURNAL. File (read only when VARNEL_OUTLOOK_MODE is
// not set): `iniPath`, section [Outlook], keys Mode, DelayMs, ExitCode, Journal. A variable
// that is set wins over the file's key. Unknown modes and unreadable numbers keep the default.
OutlookConfig LoadOutlookConfig(const std::string& iniPath);

// The window title for a command line: the text after the first " /profile " up to the end,
// or "Outlook" when the command line has no " /profile ".
std::string ProfileTitle(const std::string& commandLine);

} // namespace sandbox
