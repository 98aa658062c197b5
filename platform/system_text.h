#pragma once

#include <windows.h>

#include <string>

// Texts read from the system: a window's text and the environment.

// The whole text of a window or control.
std::string WindowText(HWND window);

// The value of an environment variable of the process, empty when it is not set.
std::string EnvironmentVariable(const char* name);
