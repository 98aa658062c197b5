#include "platform/process_runner.h"

#include "platform/error_text.h"
#include "platform/message_pump.h"
#include "platform/outlook_wait.h"
#include "platform/trace.h"
#include "platform/win32_raii.h"

#include <windows.h>

#include <algorithm>

namespace {

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68);
#endif

// The longest the pause leaves the queue unlooked at: Windows takes a window whose thread has
// not looked at its queue for 5 s for a hung one, and other programs' broadcasts wait on it.
constexpr DWORD kLookAtQueueMs = 1000;

// Blocks for the whole pause, taking no input: the user's clicks and keys stay queued until the
// polling handles them. The window is repainted meanwhile and answers other programs (a close
// that one of them sends ends it, as during the polling): the queue is looked at whenever a
// paint or a sent message arrives, and at least every kLookAtQueueMs. Paints already due are
// handled first: the wait wakes only for what arrives after the queue was last looked at.
void PauseTakingNoInput(unsigned long milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        PumpAllButInput();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return;
        }
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookAtQueueMs));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_PAINT | QS_SENDMESSAGE);
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
        Trace({"CreateProcess failed: ", SystemErrorText(GetLastError())});
        return false;
    }
    const UniqueHandle process(created.hProcess);
    const UniqueHandle thread(created.hThread);
    Trace({"CreateProcess: started, process id ", Decimal(static_cast<long>(created.dwProcessId)),
           "; a pause of ", Decimal(static_cast<long>(pauseMilliseconds)),
           " ms, then the wait for Outlook's window"});

    PauseTakingNoInput(pauseMilliseconds);
    const ULONGLONG watched = GetTickCount64();
    const std::optional<std::uint32_t> exitCode =
        WaitForProcessOrOutlook(process.get(), outlookIsUp);
    const auto waited = static_cast<long>(GetTickCount64() - watched);
    if (exitCode) {
        Trace({"the wait is over after ", Decimal(waited),
               " ms of watching: the started program ended with exit code ",
               Decimal(static_cast<long>(*exitCode))});
    } else {
        Trace({"the wait is over after ", Decimal(waited),
               " ms of watching: Outlook's window is up"});
    }
    return true;
}
