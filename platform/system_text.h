#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Texts read from the system: a window's text, the environment and a module's path.

// The whole text of a window or control.
std::string WindowText(HWND window);

// The value of an environment variable of the process, empty when it is not set.
std::string EnvironmentVariable(const char* name);

// The full path of a loaded module's file (the program's own: nullptr), in wide characters: the
// ANSI form would turn every character outside the code page into "?" and name a file that does
// not exist. Empty when it cannot be read.
std::wstring ModuleFileName(HMODULE module);

// Text in the ANSI code page as UTF-16; a byte that does not convert becomes the replacement
// character.
std::wstring WideFromAnsi(std::string_view text);

// UTF-16 text in the ANSI code page; characters the code page lacks become its default
// character. Nothing when the text does not convert.
std::optional<std::string> AnsiFromWide(std::wstring_view text);
