#pragma once

// Module Other, the process runner: starts Outlook's command line and holds the caller until
// Outlook is up.

#include <windows.h>

#include <functional>
#include <string>

// How long the started program is given before the runner starts watching it.
inline constexpr unsigned long kRunAndWaitPauseMs = 30000;

// How the runner installs its window-creation hook: SetWinEventHook's signature.
using WinEventHookInstaller = decltype(&SetWinEventHook);

// Starts commandLine as a new process, pauses pauseMilliseconds (the window is repainted and
// answers other programs, but takes no input), then handles the program's messages until the
// process has ended or outlookIsUp returns true (the rules of that wait: platform/wait_rules.h),
// told of new windows by a hook that installHook installs. Returns false at once when the process
// cannot be started. A quit request taken from the queue during the wait is kept for the main
// loop.
bool RunAndWait(const std::string& commandLine, const std::function<bool()>& outlookIsUp,
                unsigned long pauseMilliseconds = kRunAndWaitPauseMs,
                WinEventHookInstaller installHook = &SetWinEventHook);
