#pragma once

// A file's version information as Windows reads it (version.dll, loaded from the system folder
// when first asked for, never imported): the About box shows the program's own, the package
// checks an installed program's.

#include <windows.h>

#include <cstdint>
#include <string>

struct FileVersionInfo {
    bool found = false;              // the file has version information with its fixed part
    std::uint32_t fileVersionMS = 0; // the fixed part's file version, as its two halves
    std::uint32_t fileVersionLS = 0;
    // Texts of the translation the file lists first, in the ANSI code page; empty when missing.
    std::string comments;
    std::string legalCopyright;
};

// The version information of the file at `path`; nothing found when it has none, or when the
// file or version.dll cannot be read.
FileVersionInfo ReadFileVersionInfo(const std::wstring& path);

// That of a loaded module's file; the program's own is GetModuleHandleA(nullptr)'s.
FileVersionInfo ReadFileVersionInfo(HMODULE module);
