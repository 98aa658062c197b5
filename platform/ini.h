#pragma once

// Module INI: reads profile ("INI") files through the system's profile-string service.
// The buffer conventions (fixed sizes, a null-separated name list, counts without the
// terminator) are handled here; the service itself is passed in so the logic runs anywhere.

#include "platform/location_entry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The service as GetPrivateProfileStringA offers it: section, key (nullptr asks for the
// section's name list), default, buffer, buffer size, file; returns the characters copied
// without the terminating null. The file is named in wide characters: the folder it lies in may
// be named outside the ANSI code page. Everything else is text in that code page.
using ProfileStringService =
    std::function<std::uint32_t(const char* section, const char* key, const char* defaultText,
                                char* buffer, std::uint32_t size, const wchar_t* file)>;

constexpr std::int16_t kSectionNameListSize = 5000;
constexpr std::int16_t kSectionValueSize = 128;

// The value of key in section of file, or defaultText; at most bufferSize - 1 characters.
std::string ReadIniValue(const ProfileStringService& service, const std::string& section,
                         const std::string& key, const std::string& defaultText,
                         std::int16_t bufferSize, const std::wstring& file);

// Fills rows 1..count with (name, value) of every entry of section, in the file's order, and
// returns count. Row 0 stays empty; with no entries rows is left as it was passed. `cut`, when
// given, tells whether the name list was cut by its buffer (its last name, and every name after
// it in the file, are not read).
std::int16_t ReadIniSection(const ProfileStringService& service, const std::string& section,
                            const std::wstring& file, std::vector<LocationEntry>& rows,
                            bool* cut = nullptr);

// The complete names of a name list as the service returns it (count characters): each name
// ends at a null character; a trailing name without one was cut by the buffer and is dropped.
std::vector<std::string> SplitNameList(const std::string& nameList);

#ifdef _WIN32
// The system's own service: GetPrivateProfileStringW on the file, with the texts it takes and
// gives converted from and to the ANSI code page.
ProfileStringService SystemProfileService();
#endif
