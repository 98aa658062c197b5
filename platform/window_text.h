#pragma once

#include <windows.h>

#include <string>

// The whole text of a window or control.
std::string WindowText(HWND window);
