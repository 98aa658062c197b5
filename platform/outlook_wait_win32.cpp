#include "platform/outlook_wait.h"

#include "platform/message_pump.h"
#include "platform/trace.h"
#include "platform/wait_rules.h"
#include "platform/window_creation_hook.h"

#include <cstdint>
#include <optional>

namespace {

std::optional<std::uint32_t> ExitCode(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return std::nullopt;
    }
    return code;
}

} // namespace

// Makes the calls that WaitRules asks for.
std::optional<std::uint32_t> WaitForProcessOrOutlook(HANDLE process,
                                                     const std::function<bool()>& outlookIsUp) {
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
                Trace({"the program is asked to quit: the wait goes on without the window"});
                rules.QuitTaken();
                hook.Remove();
            }
            const std::optional<std::uint32_t> exitCode = ExitCode(process);
            if (rules.ProcessEnded(WaitForSingleObject(process, 0) == WAIT_OBJECT_0, exitCode)) {
                return exitCode.value_or(0);
            }
        }
        if (rules.TestDue(GetTickCount64())) {
            if (outlookIsUp()) {
                return std::nullopt;
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
