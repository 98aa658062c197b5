#include "platform/other.h"

#include "launcher/outlook.h"
#include "platform/message_pump.h"
#include "platform/win32_raii.h"

#include <windows.h>

namespace {

// An Outlook window in another process signals nothing we could wait on, so the wait wakes
// this often to look for it.
constexpr DWORD kPollMs = 25;

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68);
#endif

// Blocks for the whole pause. Only paint messages are handled, so the window stays drawn;
// input stays queued until the polling handles it. Paints already due are handled first: the
// wait wakes only for paints that arrive after the queue was last looked at.
void PauseKeepingWindowPainted(unsigned long milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        PumpPaintMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_PAINT);
    }
}

// The process has ended once its handle is signalled. Its exit code is read as well: any
// code other than "still active" (259) also ends the wait; a failed read keeps the last code.
bool ProcessEnded(HANDLE process, DWORD& exitCode) {
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
        return true;
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process, &code)) {
        exitCode = code;
    }
    return exitCode != STILL_ACTIVE;
}

void WaitForProcessOrOutlook(HANDLE process) {
    DWORD exitCode = 0;
    for (;;) {
        PumpPendingMessages();
        if (ProcessEnded(process, exitCode) || IsOutlookRunning()) {
            return;
        }
        if (QuitRequested()) {
            // The main loop ends after us. The queue is no longer emptied, so a wait on it
            // would return at once forever: wait on the process alone.
            WaitForSingleObject(process, kPollMs);
        } else {
            MsgWaitForMultipleObjects(1, &process, FALSE, kPollMs, QS_ALLINPUT);
        }
    }
}

} // namespace

bool RunAndWait(const std::string& commandLine, unsigned long pauseMilliseconds) {
    // CreateProcessA takes a writable command line: hand it our own copy.
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &created)) {
        return false;
    }
    const UniqueHandle process(created.hProcess);
    const UniqueHandle thread(created.hThread);

    PauseKeepingWindowPainted(pauseMilliseconds);
    WaitForProcessOrOutlook(process.get());
    return true;
}
