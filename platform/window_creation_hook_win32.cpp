#include "platform/window_creation_hook.h"

namespace {

WinEventHookInstaller installHook = &SetWinEventHook;

// Out-of-context reports arrive on the thread that installed the hook, one at a time.
bool windowCreated = false;

void CALLBACK NoteWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                DWORD) {
    // Only a top-level window can be Outlook's main window; whether it is stays the runner's
    // question. A window already gone by now cannot be it either.
    if (object == OBJID_WINDOW && child == CHILDID_SELF && window != nullptr &&
        GetAncestor(window, GA_PARENT) == GetDesktopWindow()) {
        windowCreated = true;
    }
}

} // namespace

WindowCreationHook::WindowCreationHook()
    : hook_(installHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, NoteWindowCreated, 0, 0,
                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
    windowCreated = false;
}

bool WindowCreationHook::TakeCreated() {
    const bool created = windowCreated;
    windowCreated = false;
    return created;
}

WinEventHookInstaller ReplaceWinEventHookInstaller(WinEventHookInstaller installer) {
    const WinEventHookInstaller previous = installHook;
    installHook = installer;
    return previous;
}
