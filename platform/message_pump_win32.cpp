#include "platform/message_pump.h"

#include <initializer_list>
#include <utility>

namespace {

// A WM_QUIT that a nested pump took from the queue, kept for the main loop. Waits that see it
// stop watching the queue, which would otherwise report the quit again and again.
struct PendingQuit {
    bool requested = false;
    int exitCode = 0;
};
PendingQuit pendingQuit;

HACCEL applicationAccelerators = nullptr;

bool waitsEnded = false;

bool TranslateForWindow(MSG& message) {
    if (message.hwnd == nullptr) {
        return false;
    }
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr) {
        return false;
    }
    HACCEL accelerators = applicationAccelerators;
    if (accelerators != nullptr && TranslateAcceleratorA(root, accelerators, &message)) {
        return true;
    }
    return IsDialogMessageA(root, &message) != FALSE;
}

} // namespace

void UseAccelerators(HACCEL accelerators) {
    applicationAccelerators = accelerators;
}

void HandleMessage(MSG& message) {
    if (!TranslateForWindow(message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpPendingMessages() {
    MSG message;
    while (!pendingQuit.requested && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            pendingQuit = {true, static_cast<int>(message.wParam)};
            break;
        }
        HandleMessage(message);
    }
    return !pendingQuit.requested;
}

bool QuitRequested() {
    return pendingQuit.requested;
}

void PumpAllButInput() {
    MSG message;
    // Every look at the queue first delivers the messages sent to this thread, after a quit as
    // before it. A WM_QUIT comes whatever the filter says: the first is kept, as
    // PumpPendingMessages keeps it.
    for (const UINT kind : {WM_PAINT, WM_CLOSE}) {
        while (PeekMessageA(&message, nullptr, kind, kind, PM_REMOVE)) {
            if (message.message != WM_QUIT) {
                DispatchMessageA(&message);
            } else if (!pendingQuit.requested) {
                pendingQuit = {true, static_cast<int>(message.wParam)};
            }
        }
    }
}

void EndEveryWait() {
    waitsEnded = true;
}

bool WaitsEnded() {
    return waitsEnded;
}

int RunMessageLoop() {
    MSG message;
    while (!pendingQuit.requested) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        HandleMessage(message);
    }
    return std::exchange(pendingQuit, {}).exitCode;
}
