// Bench only, never linked into varnel.exe: the runner's wait as a literal reading would have
// it, watching Outlook in a loop that never waits between two looks. The reference build
// varnel_spinning links it in place of platform/outlook_wait_win32.cpp, so that it runs the
// product's runner with only the waiting swapped, to show what the product's wait saves.
#include "platform/outlook_wait.h"

#include "platform/message_pump.h"

namespace {

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

} // namespace

// Deliberately busy: the reference for the CPU time and latency of the product's wait.
void WaitForProcessOrOutlook(HANDLE process, const std::function<bool()>& outlookIsUp) {
    DWORD exitCode = 0;
    for (;;) {
        PumpPendingMessages();
        if (ProcessEnded(process, exitCode) || outlookIsUp()) {
            return;
        }
    }
}
