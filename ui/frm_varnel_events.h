#pragma once

#include <windows.h>

// Handlers of the main window that reach beyond it: the launch and the About box.
void cmdLogon_Click(HWND frmVarnel);
void mnuHAbout_Click(HWND frmVarnel);
