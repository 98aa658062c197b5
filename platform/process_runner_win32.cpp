#include "platform/process_runner.h"

#include "platform/error_text.h"
#include "platform/message_pump.h"
#include "platform/trace.h"
#include "platform/wait_rules.h"
#include "platform/win32_raii.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace {

// The longest the pause leaves the queue unlooked at: Windows takes a window whose thread has
// not looked at its queue for 5 s for a hung one, and other programs' broadcasts wait on it.
constexpr DWORD kLookAtQueueMs = 1000;

// Blocks for the whole pause, taking no input: the user's clicks and keys stay queued until the
// polling handles them. The window is repainted meanwhile and answers other programs (a close
// that one of them sends ends it, as during the polling), before and after a quit request: the
// queue is looked at whenever a paint or a sent message is there, and at least every
// kLookAtQueueMs. The wait wakes for every paint or sent message in the queue, also one that
// came while the queue was being looked at, which the system counts as seen.
void PauseTakingNoInput(unsigned long milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        PumpAllButInput();
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || WaitsEnded()) {
            return;
        }
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookAtQueueMs));
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_PAINT | QS_SENDMESSAGE,
                                    MWMO_INPUTAVAILABLE);
    }
}

// ---- the hook that reports new windows ----------------------------------------------------

// Out-of-context reports arrive on the thread that installed the hook, one at a time, while it
// retrieves its messages.
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

// Tells the runner when a top-level window was created somewhere on the desktop, by any process
// but this one, so that it looks for Outlook's window at once instead of on a timer.
class WindowCreationHook {
  public:
    explicit WindowCreationHook(WinEventHookInstaller install)
        : hook_(install(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, NoteWindowCreated, 0, 0,
                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
        windowCreated = false;
    }
    bool Installed() const { return hook_ != nullptr; }
    void Remove() { hook_.reset(); }
    // True when a top-level window was reported since the last call.
    bool TakeCreated() { return std::exchange(windowCreated, false); }

  private:
    UniqueWinEventHook hook_;
};

// ---- the wait -------------------------------------------------------------------------------

std::optional<std::uint32_t> ExitCode(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return std::nullopt;
    }
    return code;
}

#ifndef VARNEL_BENCH_SPINNING_WAIT
// Until the process has ended or Outlook is up, making the calls that WaitRules asks for.
// Nothing when Outlook's window is up; otherwise the ended process's exit code.
std::optional<std::uint32_t> WaitForProcessOrOutlook(HANDLE process,
                                                     const std::function<bool()>& outlookIsUp,
                                                     WinEventHookInstaller installHook) {
    WindowCreationHook hook(installHook);
    WaitRules rules(hook.Installed());
    for (;;) {
        if (rules.LookAtQueueAndProcess()) {
            // Handles input and takes the hook's reports, which come in with the messages.
            PumpPendingMessages();
            if (WaitsEnded()) {
                return std::nullopt;
            }
            if (hook.TakeCreated()) {
                rules.WindowCreated();
            }
            if (QuitRequested() && rules.WatchesQueue()) {
                Trace({"the program is asked to quit: the wait goes on without the window"});
                rules.QuitTaken();
                hook.Remove();
            }
            // The exit code is read after the look at the handle: a process that ends between
            // the two is then not taken as ended with the code of a running one.
            const bool signalled = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            const std::optional<std::uint32_t> exitCode = ExitCode(process);
            if (rules.ProcessEnded(signalled, exitCode)) {
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
#else
// The bench's reference build (bench/CMakeLists.txt; never shipped): the wait as a literal
// reading would have it, looking at the queue, the process and Outlook over and over without
// ever waiting in between, to show what the wait above saves.
std::optional<std::uint32_t> WaitForProcessOrOutlook(HANDLE process,
                                                     const std::function<bool()>& outlookIsUp,
                                                     WinEventHookInstaller) {
    WaitRules rules(false);
    for (;;) {
        PumpPendingMessages();
        const bool signalled = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        const std::optional<std::uint32_t> exitCode = ExitCode(process);
        if (rules.ProcessEnded(signalled, exitCode)) {
            return exitCode.value_or(0);
        }
        if (outlookIsUp()) {
            return std::nullopt;
        }
    }
}
#endif

} // namespace

bool RunAndWait(const std::string& commandLine, const std::function<bool()>& outlookIsUp,
                unsigned long pauseMilliseconds, WinEventHookInstaller installHook) {
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
        WaitsEnded() ? std::nullopt
                     : WaitForProcessOrOutlook(process.get(), outlookIsUp, installHook);
    const auto waited = static_cast<long>(GetTickCount64() - watched);
    if (WaitsEnded()) {
        Trace({"the wait is cut short: the Windows session is ending"});
    } else if (exitCode) {
        // Codes from 0x80000000 up are Windows' status codes (0xC0000005: an access violation),
        // known by their hexadecimal form.
        Trace({"the wait is over after ", Decimal(waited),
               " ms of watching: the started program ended with exit code ",
               *exitCode >= 0x80000000u ? Hex(*exitCode) : Decimal(static_cast<long>(*exitCode))});
    } else {
        Trace({"the wait is over after ", Decimal(waited),
               " ms of watching: Outlook's window is up"});
    }
    return true;
}
