#pragma once

#include <windows.h>

// Dots per inch of the monitor a window is on (96 where the system cannot tell per window).
UINT DpiForWindow(HWND window);

// AdjustWindowRectEx at a given dpi, where the system offers it.
BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, UINT dpi);
