#include "launcher/outlook.h"
#include "platform/other.h"
#include "platform/win32_raii.h"
#include "support/handle_count.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
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
              created_ = outlook_standin::PreciseNow();
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
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 1000));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 1000u);
    EXPECT_LT(elapsed, 1300u);
    EXPECT_EQ(sandbox_journal::Texts(outlook.Journal()),
              (std::vector<std::string>{"start " + outlook.CommandLine(), "exit 0"}));
}

TEST_F(RunAndWaitTest, TheDefaultPauseIsThirtySecondsEvenForAProcessThatEndsAtOnce) {
    const Session outlook("exit");
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine()));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 30000u);
    EXPECT_LT(elapsed, 30500u);
}

TEST_F(RunAndWaitTest, ReturnsWithinFiftyMillisecondsOfTheOutlookWindow) {
    for (const unsigned delay : {700u, 900u, 1100u}) {
        const Session outlook("window", delay);
        const ULONGLONG start = GetTickCount64();
        EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 200));
        const std::uint64_t returned = outlook_standin::PreciseNow();
        EXPECT_GE(MillisecondsSince(start), delay);
        EXPECT_TRUE(IsOutlookRunning());
        const auto window = outlook.WaitForEvent("window", 3000);
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window->text, "window Test Profile");
        const double latency =
            static_cast<double>(static_cast<std::int64_t>(returned - window->ticks)) / 10000.0;
        std::printf("window after %u ms: the runner returned %.1f ms after the window\n", delay,
                    latency);
        EXPECT_LT(latency, 50.0);
        outlook_standin::EndStandIns();
    }
}

TEST_F(RunAndWaitTest, DetectsTheWindowWithinFiftyMillisecondsOfItsCreation) {
    const Session outlook("stay");
    const Watchdog watchdog(10000);
    for (const DWORD delay : {400u, 550u, 730u}) {
        const LateOutlookWindow window(delay);
        EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 100));
        const std::uint64_t returned = outlook_standin::PreciseNow();
        ASSERT_NE(window.created(), 0u);
        const double latency = static_cast<double>(returned - window.created()) / 10000.0;
        std::printf("window made after %lu ms: the runner returned %.1f ms after\n", delay,
                    latency);
        EXPECT_LT(latency, 50.0);
    }
}

TEST_F(RunAndWaitTest, AnOutlookWindowBeforeTheFirstPollEndsTheWaitAfterThePause) {
    const UniqueWindow outlookWindow = OutlookClassWindow();
    const Session outlook("stay");
    const Watchdog watchdog(10000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 300));
    const ULONGLONG elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 500u);
    EXPECT_FALSE(outlook.WaitForEvent("exit", 0).has_value()) << "the process still runs";
}

TEST_F(RunAndWaitTest, AProcessThatEndsWithCode259HasEnded) {
    const Session outlook("exit", 0, 259);
    const LateOutlookWindow endsAWaitThatWouldNotEnd(3000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 100));
    EXPECT_LT(MillisecondsSince(start), 1000u);
    const auto exit = outlook.WaitForEvent("exit", 0);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->text, "exit 259");
}

TEST_F(RunAndWaitTest, AProgramThatCannotBeStartedIsNotWaitedFor) {
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(RunAndWait("\"Z:\\no\\such\\folder\\OUTLOOK.EXE\" /profile Test"));
    EXPECT_FALSE(RunAndWait(""));
    EXPECT_LT(MillisecondsSince(start), 1000u);
}

TEST_F(RunAndWaitTest, LeavesNoHandleOpen) {
    const long empty = test_support::OpenHandleCount();
    {
        const UniqueHandle probe(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        ASSERT_EQ(test_support::OpenHandleCount(), empty + 1) << "the count must see a handle";
    }
    const Session outlook("exit");
    RunAndWait(outlook.CommandLine(), 0); // whatever the first start opens for good
    const long before = test_support::OpenHandleCount();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 0));
    EXPECT_FALSE(RunAndWait("Z:\\no\\such\\program.exe", 0));
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
    const double cpuBefore = ProcessCpuMilliseconds();
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 0));
    const ULONGLONG elapsed = MillisecondsSince(start);
    const double cpu = ProcessCpuMilliseconds() - cpuBefore;
    std::printf("polled for %llu ms using %.1f ms of CPU\n", elapsed, cpu);
    EXPECT_GE(elapsed, 5000u);
    EXPECT_LT(elapsed, 5500u);
    EXPECT_LT(cpu, 100.0);
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
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), 1000));
    other.join();
    ASSERT_EQ(PauseWindow::paints.size(), 2u);
    EXPECT_LT(PauseWindow::paints[0], start + 100) << "the paint that was due, at once";
    EXPECT_GE(PauseWindow::paints[1], start + 300);
    EXPECT_LT(PauseWindow::paints[1], start + 1000) << "painted during the pause";
    EXPECT_GE(PauseWindow::input, start + 1000) << "input handled only after the pause";
}

} // namespace
