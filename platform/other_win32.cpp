#include "platform/other.h"

#include "platform/message_pump.h"
#include "platform/wait_rules.h"
#include "platform/win32_raii.h"
#include "platform/window_creation_hook.h"

#include <windows.h>

namespace {

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

std::optional<std::uint32_t> ExitCode(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return std::nullopt;
    }
    return code;
}

// Makes the calls that WaitRules asks for.
void WaitForProcessOrOutlook(HANDLE process, const std::function<bool()>& outlookIsUp) {
    WindowCreationHook hook;
    WaitRules rules(hook.Installed());
    for (;;) {
        if (rules.LookAtQueueAndProcess()) {
            // Handles input and takes the hook's reports, which come in with the messages.
            PumpPendingMessages();
            if (hook.TakeCreated()) {
                rules.WindowCreated();
            }
            if (QuitRequested() && rules.WatchesQueue()) {
                rules.QuitTaken();
                hook.Remove();
            }
            if (rules.ProcessEnded(WaitForSingleObject(process, 0) == WAIT_OBJECT_0,
                                   ExitCode(process))) {
                return;
            }
        }
        if (rules.TestDue(GetTickCount64())) {
            if (outlookIsUp()) {
                return;
            }
            rules.Tested(GetTickCount64());
        }
        const DWORD timeout = rules.NextWaitMs(GetTickCount64());
        const DWORD woke = rules.WatchesQueue()
                               ? MsgWaitForMultipleObjects(1, &process, FALSE, timeout, QS_ALLINPUT)
                               : WaitForSingleObject(process, timeout);
        rules.Waited(woke == WAIT_TIMEOUT);
    }
}

} // namespace

bool RunAndWait(const std::string& commandLine, const std::function<bool()>& outlookIsUp,
                unsigned long pauseMilliseconds) {
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
    WaitForProcessOrOutlook(process.get(), outlookIsUp);
    return true;
}
