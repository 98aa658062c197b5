#pragma once

// When the process runner looks for Outlook after its pause, and when it stops. The Windows
// side (platform/process_runner_win32.cpp) only makes the calls these rules ask for.
//
// The runner waits for whichever comes first: the started process ends (return); messages
// for this thread arrive (they are handled, so the window stays usable); the window-creation
// hook reports a top-level window made by another process; or the re-check interval
// has passed since the Outlook test last ran. The Outlook test runs after each reported
// window and at every interval; a true answer ends the wait. The hook is installed before
// the first test, which runs before the first wait, so a window made at any moment is seen.
// The interval is 250 ms while the hook watches (a safety net for an event that was not
// delivered) and 25 ms without it: the hook could not be installed, or a quit was taken from
// the queue. A wait that merely timed out says that neither the queue nor the process changed,
// so then only the test runs: each idle wake-up costs as little as it can. After a quit the
// queue is no longer emptied, so hook events would only pile up there and a wait on the queue
// would return at once forever: the hook goes and the runner waits on the process alone.

#include <cstdint>
#include <optional>

inline constexpr std::uint64_t kRecheckWithHookMs = 250;
inline constexpr std::uint64_t kRecheckWithoutHookMs = 25;
// The exit code of a process that is still running.
inline constexpr std::uint32_t kStillActive = 259;

class WaitRules {
  public:
    // Whether the window-creation hook was installed. The Outlook test is due at once.
    explicit WaitRules(bool hooked) : hooked_(hooked) {}

    // The hook reported a top-level window: the Outlook test is due.
    void WindowCreated() { testDue_ = true; }

    // A quit was taken from the queue: the hook is no longer used, the queue no longer
    // watched.
    void QuitTaken() {
        hooked_ = false;
        watchQueue_ = false;
    }

    bool WatchesQueue() const { return watchQueue_; }

    // The last wait ended: by its time-out (the re-check is due), or by the process or the
    // queue.
    void Waited(bool timedOut) {
        timedOut_ = timedOut;
        testDue_ = testDue_ || timedOut;
    }

    // Whether to handle the queue and look at the process now: always, except after a wait
    // that timed out.
    bool LookAtQueueAndProcess() const { return !timedOut_; }

    // Whether the process has ended: its handle is signalled, or its exit code is not
    // kStillActive. A code that could not be read (nullopt) leaves the last one read, 0 at
    // first.
    bool ProcessEnded(bool signalled, std::optional<std::uint32_t> exitCode);

    // Whether the Outlook test is due at `now` (milliseconds on a steady clock).
    bool TestDue(std::uint64_t now) const;

    // The Outlook test ran at `now` and found no window.
    void Tested(std::uint64_t now);

    // How long the next wait may last from `now`, in milliseconds: until the next re-check.
    std::uint32_t NextWaitMs(std::uint64_t now) const;

  private:
    std::uint64_t Interval() const { return hooked_ ? kRecheckWithHookMs : kRecheckWithoutHookMs; }

    bool hooked_;
    bool watchQueue_ = true;
    bool timedOut_ = false;
    bool testDue_ = true;
    std::uint64_t lastTest_ = 0;
    std::uint32_t exitCode_ = 0;
};
