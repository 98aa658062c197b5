#pragma once

// Takes over the runner's install of its window-creation hook while it lives: the install
// fails, or it succeeds and the hook is recorded, so a test can tell whether it is gone.

#include "platform/window_creation_hook.h"

#include <windows.h>

class HookInstall {
  public:
    enum Kind { kFails, kRecorded };
    explicit HookInstall(Kind kind)
        : previous_(ReplaceWinEventHookInstaller(kind == kFails ? Fail : Record)) {
        installed = nullptr;
    }
    ~HookInstall() { ReplaceWinEventHookInstaller(previous_); }
    HookInstall(const HookInstall&) = delete;
    HookInstall& operator=(const HookInstall&) = delete;

    // The last hook installed; nullptr before.
    static inline HWINEVENTHOOK installed = nullptr;

    // A hook removed already cannot be removed again.
    static bool InstalledAndRemoved() { return installed != nullptr && !UnhookWinEvent(installed); }

  private:
    static HWINEVENTHOOK WINAPI Fail(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    static HWINEVENTHOOK WINAPI Record(DWORD eventMin, DWORD eventMax, HMODULE module,
                                       WINEVENTPROC procedure, DWORD process, DWORD thread,
                                       DWORD flags) {
        installed = SetWinEventHook(eventMin, eventMax, module, procedure, process, thread, flags);
        return installed;
    }

    WinEventHookInstaller previous_;
};
