#pragma once

// DLLs of Windows that the program loads itself, by full path from the system folder, instead of
// importing them or leaving them to the search order: a DLL of the same name in the current
// folder or beside varnel.exe (a Downloads folder, a share) is then never the one that runs.

#include <windows.h>

// The DLLs that Windows' own DLLs are known to load by name after start-up. Once loaded from
// the system folder, every later load by name finds them loaded. The first paint may pull in
// the first group; the rest waits for the first launch or About box, which bring in COM and the
// shell.
enum class SystemDllGroup { FirstPaint, FirstLaunchOrAbout };

struct PreloadedDll {
    const char* name;
    SystemDllGroup group;
};

inline constexpr PreloadedDll kPreloadedDlls[] = {
    {"uxtheme.dll", SystemDllGroup::FirstPaint},
    {"dwmapi.dll", SystemDllGroup::FirstPaint},
    {"cryptbase.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"propsys.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"apphelp.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"userenv.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"setupapi.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"oleacc.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"clbcatq.dll", SystemDllGroup::FirstLaunchOrAbout},
    {"version.dll", SystemDllGroup::FirstLaunchOrAbout},
};

// First thing at start-up: takes the current folder out of the DLL search path, then loads the
// first group. The search order is otherwise left as Windows has it: the CDO library and the
// mail system behind it load their own parts through it.
void HardenDllSearch();

// Loads every DLL of `group` that the system has (a missing one is skipped); a group's second
// call does nothing.
void PreloadSystemDlls(SystemDllGroup group);

// `name` from the system folder; nullptr when the system lacks it. Every module loaded here is
// kept for the process's life, on purpose: nothing frees it, so it needs no owner.
HMODULE LoadSystemDll(const char* name);

// A function of a DLL of the system folder, of the type the system declares for it; nullptr when
// the DLL or the function is missing.
template <typename Function> Function SystemFunction(const char* dll, const char* name) {
    HMODULE module = LoadSystemDll(dll);
    return module == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
