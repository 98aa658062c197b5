#include "launcher/bas_varnel.h"

#include "platform/system_text.h"
#include "platform/trace.h"

#include <windows.h>

std::wstring GetIniPath() {
    // The executable's folder, in wide characters: the ANSI form would turn every character
    // outside the code page into "?" and name a folder that does not exist. A path longer than
    // MAX_PATH is read with a growing buffer.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            path.clear();
            break;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return IniPathInFolder(FolderOfPath(path));
}

std::int16_t LoadLocations() {
    bool cut = false;
    const std::int16_t count = LoadLocations(SystemProfileService(), &cut);
    const bool found = GetFileAttributesW(IniPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    Trace({"varnel.ini: ", AnsiFromWide(IniPath).value_or("?"), found ? " (found)" : " (not found)",
           ", ", Decimal(count), count == 1 ? " location read" : " locations read",
           cut ? "; the name list was cut at its buffer, the names from there on are not listed"
               : ""});
    return count;
}
