// Bench only, never linked into varnel.exe: the runner of platform/other_win32.cpp as a literal
// reading would have it, watching Outlook in a loop that never waits between two looks. Only
// the reference build varnel_spinning uses it, to show what the product's paced wait saves.
#include "platform/other.h"

#include "platform/message_pump.h"
#include "platform/win32_raii.h"

#include <windows.h>

namespace {

// The same pause as the product's runner: paint messages only, until the deadline.
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

// Deliberately busy: the reference for the CPU time and latency of the product's wait.
void SpinUntilProcessOrOutlook(HANDLE process, const std::function<bool()>& outlookIsUp) {
    DWORD exitCode = 0;
    for (;;) {
        PumpPendingMessages();
        if (ProcessEnded(process, exitCode) || outlookIsUp()) {
            return;
        }
    }
}

} // namespace

bool RunAndWait(const std::string& commandLine, const std::function<bool()>& outlookIsUp,
                unsigned long pauseMilliseconds) {
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
    SpinUntilProcessOrOutlook(process.get(), outlookIsUp);
    return true;
}
