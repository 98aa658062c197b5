#include "platform/system_dlls.h"

#include <string>

void HardenDllSearch() {
    SetDllDirectoryA("");
    PreloadSystemDlls(SystemDllGroup::FirstPaint);
}

void PreloadSystemDlls(SystemDllGroup group) {
    static bool loaded[2] = {};
    bool& done = loaded[static_cast<int>(group)];
    if (done) {
        return;
    }
    done = true;
    for (const PreloadedDll& dll : kPreloadedDlls) {
        if (dll.group == group) {
            LoadSystemDll(dll.name);
        }
    }
}

HMODULE LoadSystemDll(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::string path = std::string(folder, length) + "\\" + name;
    // By full path; the DLLs it needs in turn are looked for in the system folder first too.
    return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
