#pragma once

// What the program relies on from Microsoft Outlook (module basVarnel): where its open
// command is registered, how its argument placeholder is written, and its main window class.

#include <string>

// Below HKEY_CLASSES_ROOT; the key's default value holds the command.
inline constexpr const char* kOutlookCommandKey = "outlook\\shell\\open\\command";
// A space, then the quoted argument placeholder: what follows the program part.
inline constexpr const char* kOutlookArgumentMarker = " \"%1\"";
// Any top-level window of this class means that Outlook runs.
inline constexpr const char* kOutlookWindowClass = "rctrl_renwnd32";

// The program part of an open command: everything before the first argument marker, or the
// whole command when it holds none. Nothing else is changed (quotes, spaces, other switches).
std::string OutlookProgramFromCommand(const std::string& command);

#ifdef _WIN32
// True while a top-level window of Outlook's main window class exists, whoever owns it.
bool IsOutlookRunning();

// Outlook's program (as the open command writes it), or "" when the command cannot be read.
std::string GetOutlookPath();
#endif
