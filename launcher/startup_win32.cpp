#include "launcher/bas_varnel.h"

#include <windows.h>

std::string GetIniPath() {
    // The executable's folder; a path longer than MAX_PATH is read with a growing buffer.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
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
    return LoadLocations(SystemProfileService());
}
