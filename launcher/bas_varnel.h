#pragma once

// Module basVarnel: the program's own data and the small operations around it (start-up,
// the location catalogue, the alias). Portable; the Windows entry points are at the end.

#include "platform/location_entry.h"
#include "platform/ini.h"

#include <cstdint>
#include <string>
#include <vector>

// Row 0 is the manual row behind "[Other]"; rows 1..N are the file's locations in file order.
extern std::vector<LocationEntry> Locations;
// Full path of varnel.ini, set once at start-up; wide, as the program's folder may be named
// outside the ANSI code page.
extern std::wstring IniPath;
// Always the whole current text of the alias box.
extern std::string EmailAlias;

inline constexpr const wchar_t* kIniFileName = L"varnel.ini";
inline constexpr const char* kLocationsSection = "Locations";

// The folder of a file path, as the program names its own folder: a drive root keeps its
// backslash ("C:\\"), any other folder has none at the end ("C:\\Tools").
std::wstring FolderOfPath(const std::wstring& filePath);

// varnel.ini inside folder; a folder ending in "\" (a drive root) gets no second backslash.
std::wstring IniPathInFolder(const std::wstring& folder);

// Loads section "Locations" of IniPath into rows 1..n of Locations; returns n. With no
// entries Locations keeps its single manual row. `cut` as ReadIniSection gives it.
std::int16_t LoadLocations(const ProfileStringService& service, bool* cut = nullptr);

// Server of the row behind list position `position` (row position + 1; -1 is the manual row).
// Positions the list cannot produce give the empty text.
std::string ServerForLocation(std::int16_t position);

// Number of catalogue rows that come from the file (the catalogue's upper bound).
std::int16_t LocationCount();

void SetOtherServer(const std::string& server);
void SetEmailAlias(const std::string& alias);

#ifdef _WIN32
std::wstring GetIniPath();
std::int16_t LoadLocations();
#endif
