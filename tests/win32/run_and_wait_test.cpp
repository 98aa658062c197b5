#include "common/journal.h"
#include "launcher/outlook.h"
#include "platform/process_runner.h"
#include "platform/win32_raii.h"
#include "support/debug_output_reader.h"
#include "support/handle_count.h"
#include "support/hook_install.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using outlook_standin::ProcessCpuMilliseconds;
using outlook_standin::Session;
using outlook_standin::Watchdog;

ULONGLONG MillisecondsSince(ULONGLONG start) {
    return GetTickCount64() - start;
}

// A window of Outlook's main window class in this process: top-level unless given a parent.
UniqueWindow OutlookClassWindow(HWND parent = nullptr) {
    static const ATOM registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kOutlookWindowClass;
        return RegisterClassA(&windowClass);
    }();
    EXPECT_NE(registered, 0);
    return UniqueWindow(CreateWindowExA(0, kOutlookWindowClass, "", parent ? WS_CHILD : 0, 0, 0, 10,
                                        10, parent, nullptr, GetModuleHandleA(nullptr), nullptr));
}

// A top-level window of Outlook's class that another thread of this process makes after
// `delay` ms and destroys when this object goes.
class LateOutlookWindow {
  public:
    explicit LateOutlookWindow(DWORD delay)
        : done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_([this, delay] {
              // A first window sets this thread up for windows, so that the one that
              // counts is made quickly.
              const UniqueWindow first(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr,
                                                       nullptr, nullptr, nullptr));
              if (WaitForSingleObject(done_.get(), delay) != WAIT_TIMEOUT) {
                  return;
              }
              created_ = sandbox::JournalTicks();
              const UniqueWindow window = OutlookClassWindow();
              WaitForSingleObject(done_.get(), INFINITE);
          }) {}
    ~LateOutlookWindow() {
        SetEvent(done_.get());
        thread_.join();
    }
    LateOutlookWindow(const LateOutlookWindow&) = delete;
    LateOutlookWindow& operator=(const LateOutlookWindow&) = delete;

    // When the window was about to be created (journal ticks); 0 before.
    std::uint64_t created() const { return created_; }

  private:
    UniqueHandle done_;
    std::atomic<std::uint64_t> created_{0};
    std::thread thread_;
};

TEST(IsOutlookRunning, AnyTopLevelWindowOfTheClassCountsWhileItExists) {
    ASSERT_FALSE(IsOutlookRunning());
    {
        const UniqueWindow hidden = OutlookClassWindow();
        ASSERT_TRUE(hidden);
        EXPECT_TRUE(IsOutlookRunning());
    }
    EXPECT_FALSE(IsOutlookRunning());

    const UniqueWindow parent(
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    const UniqueWindow child = OutlookClassWindow(parent.get());
    ASSERT_TRUE(child);
    EXPECT_FALSE(IsOutlookRunning()) << "a child window is no main window";
}

class RunAndWaitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test_support::FileExists(outlook_standin::ProgramPath()))
            << outlook_standin::ProgramPath() << " is missing: build target outlook_standin";
        ASSERT_FALSE(IsOutlookRunning());
    }
    void TearDown() override {
        outlook_standin::EndStandIns();
        EXPECT_FALSE(IsOutlookRunning());
    }
};

TEST_F(RunAndWaitTest, AProcessThatEndsDuringThePauseIsSeenAfterThePause) {
    const Session outlook("exit");
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 1000));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 1300u);
    EXPECT_EQ(sandbox::JournalTexts(outlook.Journal()),
              (std::vector<std::string>{"start " + outlook.CommandLine(), "exit 0"}));
}

TEST_F(RunAndWaitTest, TracesAWindowsStatusCodeAsTheProgramsExitCodeInHexadecimal) {
    const test_support::DebugOutputReader trace;
    ASSERT_EQ(trace.Failure(), "");
    const Session outlook("exit", 0, 0xC0000005u);
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 300));
    const std::vector<std::string> lines = trace.LinesOf(GetCurrentProcessId());
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("the started program ended with exit code 0xC0000005"),
              std::string::npos)
        << lines.back();
}

TEST_F(RunAndWaitTest, TheDefaultPauseIsThirtySecondsEvenForAProcessThatEndsAtOnce) {
    const Session outlook("exit");
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 30000u);
    EXPECT_LT(elapsed, 30500u);
}

// Notes, looking every millisecond from another thread, when an Outlook main window can first
// be found: the earliest the runner could see it. (The stand-in journals its window before
// creating it, and creating the first window of a new process takes Wine tens of milliseconds
// on a loaded machine, so the journal line alone would measure that too.)
class FirstSighting {
  public:
    FirstSighting()
        : thread_([this] {
              while (!stop_) {
                  if (IsOutlookRunning()) {
                      at_ = sandbox::JournalTicks();
                      return;
                  }
                  Sleep(1);
              }
          }) {}
    ~FirstSighting() {
        stop_ = true;
        thread_.join();
    }
    FirstSighting(const FirstSighting&) = delete;
    FirstSighting& operator=(const FirstSighting&) = delete;

    // Milliseconds from the sighting to `returned` (journal ticks), once the watcher has seen
    // the window; prints both that and the time from the stand-in's journal line.
    std::optional<double> RunnerLatency(const char* what, std::uint64_t returned,
                                        const Session& outlook) const {
        const auto window = outlook.WaitForEvent("window", 3000);
        if (!window || !test_support::PumpUntil([this] { return at_ != 0; }, 3000)) {
            return std::nullopt;
        }
        const auto ms = [returned](std::uint64_t from) {
            return static_cast<double>(static_cast<std::int64_t>(returned - from)) / 10000.0;
        };
        std::printf("%s: the runner returned %.1f ms after the window could be found, %.1f ms "
                    "after the stand-in's window line\n",
                    what, ms(at_), ms(window->ticks));
        return ms(at_);
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> at_{0};
    std::thread thread_;
};

TEST_F(RunAndWaitTest, ReturnsWithinFiftyMillisecondsOfTheOutlookWindow) {
    for (const unsigned delay : {700u, 900u, 1100u}) {
        const Session outlook("window", delay);
        const FirstSighting sighting;
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 200));
        const std::uint64_t returned = sandbox::JournalTicks();
        EXPECT_GE(MillisecondsSince(start), delay);
        EXPECT_TRUE(IsOutlookRunning());
        const auto window = outlook.WaitForEvent("window", 3000);
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window->text, "window Test Profile");
        const auto latency = sighting.RunnerLatency(
            ("window after " + std::to_string(delay) + " ms").c_str(), returned, outlook);
        ASSERT_TRUE(latency.has_value());
        EXPECT_LT(*latency, 50.0);
        outlook_standin::EndStandIns();
    }
}

// A stand-in that the test starts itself, not the runner: it shows Outlook's window `delay` ms
// after it starts. Stand-ins started afterwards run windowless again ("stay").
UniqueHandle StartOtherOutlook(const Session& outlook, unsigned delay) {
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "window");
    SetEnvironmentVariableA("VARNEL_OUTLOOK_DELAY_MS", std::to_string(delay).c_str());
    std::string command = outlook.CommandLine();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    const BOOL created = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &started);
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "stay");
    SetEnvironmentVariableA("VARNEL_OUTLOOK_DELAY_MS", "0");
    if (!created) {
        return UniqueHandle();
    }
    CloseHandle(started.hThread);
    return UniqueHandle(started.hProcess);
}

// Any Outlook main window counts, not only one of the started process: here another process
// makes it while the started one runs on without a window. The hook reports it at once (a
// missed report would leave it to the 250-ms re-check) and is gone when the runner returns.
TEST_F(RunAndWaitTest, DetectsTheWindowWithinFiftyMillisecondsOfItsCreation) {
    const Watchdog watchdog(15000);
    for (const unsigned delay : {700u, 900u, 1100u}) {
        const Session outlook("stay");
        hook_install::installed = nullptr;
        const FirstSighting sighting;
        const UniqueHandle other = StartOtherOutlook(outlook, delay);
        ASSERT_TRUE(other);
        EXPECT_TRUE(
            RunAndWait(outlook.CommandLine(), IsOutlookRunning, 100, hook_install::Recording));
        const std::uint64_t returned = sandbox::JournalTicks();
        EXPECT_TRUE(hook_install::InstalledAndRemoved());
        const auto latency = sighting.RunnerLatency(
            ("another process's window after " + std::to_string(delay) + " ms").c_str(), returned,
            outlook);
        ASSERT_TRUE(latency.has_value());
        EXPECT_LT(*latency, 50.0);
    }
}

// Without the hook the runner looks every 25 ms, as it did before there was one. The window is
// made in this process, which the hook would never report: only that poll finds it in time.
TEST_F(RunAndWaitTest, WhenTheHookCannotBeInstalledItLooksEvery25Ms) {
    const Session outlook("stay");
    const Watchdog watchdog(10000);
    for (const DWORD delay : {400u, 550u, 730u}) {
        const LateOutlookWindow window(delay);
        EXPECT_TRUE(
            RunAndWait(outlook.CommandLine(), IsOutlookRunning, 100, hook_install::Failing));
        const std::uint64_t returned = sandbox::JournalTicks();
        ASSERT_NE(window.created(), 0u);
        const double latency = static_cast<double>(returned - window.created()) / 10000.0;
        std::printf("no hook, window made after %lu ms: the runner returned %.1f ms after\n", delay,
                    latency);
        EXPECT_LT(latency, 50.0);
    }
}

TEST_F(RunAndWaitTest, AnOutlookWindowBeforeTheFirstPollEndsTheWaitAfterThePause) {
    const UniqueWindow outlookWindow = OutlookClassWindow();
    const Session outlook("stay");
    const Watchdog watchdog(10000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 300));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 500u);
    EXPECT_FALSE(outlook.WaitForEvent("exit", 0).has_value()) << "the process still runs";
}

TEST_F(RunAndWaitTest, AProcessThatEndsWithCode259HasEnded) {
    const Session outlook("exit", 0, 259);
    const LateOutlookWindow endsAWaitThatWouldNotEnd(3000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 100));
    EXPECT_LT(MillisecondsSince(start), 1000u);
    const auto exit = outlook.WaitForEvent("exit", 0);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->text, "exit 259");
}

TEST_F(RunAndWaitTest, AProgramThatCannotBeStartedIsNotWaitedFor) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(
        RunAndWait("\"Z:\\no\\such\\folder\\OUTLOOK.EXE\" /profile Test", IsOutlookRunning));
    EXPECT_FALSE(RunAndWait("", IsOutlookRunning));
    EXPECT_LT(MillisecondsSince(start), 1000u);
}

TEST_F(RunAndWaitTest, LeavesNoHandleOpen) {
    const long empty = test_support::OpenHandleCount();
    {
        const UniqueHandle probe(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        ASSERT_EQ(test_support::OpenHandleCount(), empty + 1) << "the count must see a handle";
    }
    const Session outlook("exit");
    RunAndWait(outlook.CommandLine(), IsOutlookRunning,
               0); // whatever the first start opens for good
    const long before = test_support::OpenHandleCount();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 0));
    EXPECT_FALSE(RunAndWait("Z:\\no\\such\\program.exe", IsOutlookRunning, 0));
    EXPECT_EQ(test_support::OpenHandleCount(), before);
}

void CALLBACK EndStandInsOnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    outlook_standin::EndStandIns();
}

TEST_F(RunAndWaitTest, PollsWithoutSpinningAndHandlesMessagesMeanwhile) {
    // The CPU clock must be able to see a tenth of a second for the limit below to mean much.
    const double calibrationStart = ProcessCpuMilliseconds();
    const ULONGLONG calibrationEnd = GetTickCount64() + 3000;
    while (ProcessCpuMilliseconds() - calibrationStart < 100 && GetTickCount64() < calibrationEnd) {
    }
    ASSERT_GE(ProcessCpuMilliseconds() - calibrationStart, 100);

    const Session outlook("stay");
    const Watchdog watchdog(15000);
    // Only a message handled during the wait ends the process.
    ASSERT_NE(SetTimer(nullptr, 0, 5000, EndStandInsOnTimer), 0u);
    int tests = 0;
    const auto countedTest = [&tests] {
        ++tests;
        return IsOutlookRunning();
    };
    const double cpuBefore = ProcessCpuMilliseconds();
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), countedTest, 0));
    const ULONGLONG elapsed = MillisecondsSince(start);
    const double cpu = ProcessCpuMilliseconds() - cpuBefore;
    std::printf("waited %llu ms using %.1f ms of CPU, looked for Outlook %d times\n", elapsed, cpu,
                tests);
    EXPECT_GE(elapsed, 4980u) << "the timer's 5 s, less a step of the tick count";
    EXPECT_LT(elapsed, 5500u);
    EXPECT_LT(cpu, 100.0);
    // About 21 with no window made anywhere: the first look and the 250-ms re-checks. A 25-ms
    // poll would make about 200; no re-check at all, one.
    EXPECT_GE(tests, 5);
    EXPECT_LE(tests, 60);
}

// Records when its window handled paints and when it handled posted input.
struct PauseWindow {
    static inline std::vector<ULONGLONG> paints;
    static inline ULONGLONG input = 0;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            paints.push_back(GetTickCount64());
            return 0;
        }
        if (message == WM_KEYDOWN) {
            input = GetTickCount64();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

TEST_F(RunAndWaitTest, ThePausePaintsTheWindowButLeavesInputQueued) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PauseWindow::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnelPauseTest";
    RegisterClassA(&windowClass);
    const UniqueWindow window(CreateWindowExA(0, "VarnelPauseTest", "Pause",
                                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                              nullptr, nullptr, windowClass.hInstance, nullptr));
    ASSERT_TRUE(window);
    test_support::PumpFor(100);

    const Session outlook("exit");
    PauseWindow::paints.clear();
    PauseWindow::input = 0;
    // A paint already due when the runner starts, after a look at the queue that did not take
    // it (as a COM call's own message loop does).
    InvalidateRect(window.get(), nullptr, TRUE);
    MSG unused;
    PeekMessageA(&unused, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const ULONGLONG start = GetTickCount64();
    std::thread other([target = window.get()] {
        Sleep(300);
        InvalidateRect(target, nullptr, TRUE);
        PostMessageA(target, WM_KEYDOWN, VK_SPACE, 0);
    });
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 1000));
    other.join();
    ASSERT_EQ(PauseWindow::paints.size(), 2u);
    // Before the other thread's paint at 300 ms, however long starting the process took.
    EXPECT_LT(PauseWindow::paints[0], start + 250) << "the paint that was due, at once";
    EXPECT_GE(PauseWindow::paints[1], start + 300);
    EXPECT_LT(PauseWindow::paints[1], start + 1000) << "painted during the pause";
    EXPECT_GE(PauseWindow::input, start + 1000) << "input handled only after the pause";
}

} // namespace
