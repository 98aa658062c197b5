#pragma once

// Tells the process runner that a top-level window was created somewhere on the desktop, by
// any process but this one, so that it looks for Outlook's window at once instead of on a timer.

#include "platform/win32_raii.h"

#include <windows.h>

class WindowCreationHook {
  public:
    // Installs the hook for this thread; Installed() tells whether that worked. Its reports
    // come in while this thread's messages are retrieved (PeekMessage and the like).
    WindowCreationHook();

    bool Installed() const { return hook_ != nullptr; }

    // Removes the hook now; the destructor does it otherwise.
    void Remove() { hook_.reset(); }

    // True when a top-level window was reported since the last call.
    bool TakeCreated();

  private:
    UniqueWinEventHook hook_;
};

// The call that installs the hook: SetWinEventHook unless a test replaced it (to make the
// install fail, or to see the hook). Returns the call it replaces.
using WinEventHookInstaller = decltype(&SetWinEventHook);
WinEventHookInstaller ReplaceWinEventHookInstaller(WinEventHookInstaller installer);
