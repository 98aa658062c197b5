#pragma once

// Where the stand-ins take their settings from: environment variables and INI files.

#include <windows.h>

#include <optional>
#include <string>

namespace sandbox {

// The value of an environment variable of this process (the Win32 environment block, which
// SetEnvironmentVariableA changes and CreateProcessA hands down); nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// The folder (without a trailing backslash) of the file that `module` was loaded from; null
// means the program itself.
std::string ModuleFolder(HMODULE module);

// One value of an INI file, read with GetPrivateProfileStringA; empty when the file, the
// section or the key is missing. A ';' that follows a space or tab starts a comment and is cut
// off with the blanks before it, so "Fail=   ; none" reads as empty.
std::string IniValue(const std::string& file, const char* section, const char* key);

// Trims blanks (spaces and tabs) at both ends.
std::string TrimBlanks(const std::string& text);

// Parses a whole decimal number ("259", "-1") or, with a 0x prefix, a hexadecimal one
// ("0x80004005"); blanks around it are allowed. Nothing when the text is anything else.
std::optional<long long> ParseNumber(const std::string& text);

} // namespace sandbox
