#pragma once

// Installers of the runner's window-creation hook (RunAndWait's last argument) for tests: one
// whose install fails, and one that installs the hook and records it, so that a test can tell
// whether it is gone.

#include <windows.h>

namespace hook_install {

// The last hook Recording installed; nullptr before.
inline HWINEVENTHOOK installed = nullptr;

inline HWINEVENTHOOK WINAPI Failing(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

inline HWINEVENTHOOK WINAPI Recording(DWORD eventMin, DWORD eventMax, HMODULE module,
                                      WINEVENTPROC procedure, DWORD process, DWORD thread,
                                      DWORD flags) {
    installed = SetWinEventHook(eventMin, eventMax, module, procedure, process, thread, flags);
    return installed;
}

// A hook removed already cannot be removed again.
inline bool InstalledAndRemoved() {
    return installed != nullptr && !UnhookWinEvent(installed);
}

} // namespace hook_install
