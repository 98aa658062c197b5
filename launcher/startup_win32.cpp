#include "launcher/bas_varnel.h"

#include "platform/system_text.h"
#include "platform/trace.h"

#include <windows.h>

std::wstring GetIniPath() {
    // In wide characters, as the folder may be named outside the ANSI code page.
    return IniPathInFolder(FolderOfPath(ModuleFileName(nullptr)));
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
