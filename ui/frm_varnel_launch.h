#pragma once

#include <windows.h>

// The launch button's work on the main window, with the pause the process runner gives Outlook
// before it starts watching (the launch button uses the full pause; tests shorten it).
void LaunchFromWindow(HWND frmVarnel, unsigned long pauseMilliseconds);
