#include "platform/process_runner.h"

#include "platform/message_pump.h"
#include "platform/outlook_wait.h"
#include "platform/win32_raii.h"

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
