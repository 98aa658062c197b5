#pragma once

#include <windows.h>

// Dots per inch of the monitor a window is on (96 where the system cannot tell per window).
UINT DpiForWindow(HWND window);

// AdjustWindowRectEx at a given dpi, where the system offers it.
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, UINT dpi);

// Windows 10 rescales a dialog and its controls itself when it moves to a screen of another dpi;
// ours lay themselves out from their twips at every dpi, so the system's scaling is switched off
// (where the system has it), lest everything be scaled twice.
void KeepDialogLayoutOurOwn(HWND dialog);
void KeepControlLayoutOurOwn(HWND control);
