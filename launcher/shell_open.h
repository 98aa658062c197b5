#pragma once

// ShellOpen (module basVarnel): hands a link such as "mailto:..." or "http://..." to the shell,
// which opens it with the program the user has set up for its scheme.

#include <windows.h>

#include <string>

// Fire and forget: returns once the shell has taken the request. Whether anything could open
// the target is not examined, and nothing is reported.
void ShellOpen(HWND owner, const std::string& target);
