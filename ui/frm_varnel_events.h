#pragma once

#include "platform/process_runner.h"

#include <windows.h>

// Handlers of the main window that reach beyond it: the launch and the About box.

// The launch button: the launch with the window's server, start-up switch and alias. Outlook
// gets the runner's full pause before it is watched; tests shorten it. The window may be
// destroyed during the launch (closed while Outlook starts): nothing of it is used once this
// returns.
void cmdLogon_Click(HWND frmVarnel, unsigned long pauseMilliseconds = kRunAndWaitPauseMs);

// Help > About... and F1: the About box, modally; returns when it has been closed.
void mnuHAbout_Click(HWND frmVarnel);
