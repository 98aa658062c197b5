// A quit request taken during the wait cannot be undone in this process, so this case has a
// test program of its own.

#include "launcher/outlook.h"
#include "platform/message_pump.h"
#include "platform/process_runner.h"
#include "support/hook_install.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <thread>

namespace {

TEST(RunAndWait, AQuitDuringTheWaitIsKeptAndTheWaitGoesOnWithoutSpinningOrTheHook) {
    ASSERT_TRUE(test_support::FileExists(outlook_standin::ProgramPath()));
    const outlook_standin::Session outlook("stay");
    const outlook_standin::Watchdog watchdog(15000);
    const DWORD self = GetCurrentThreadId();
    // The quit, then a message that stays queued because nothing empties the queue any more,
    // then the end of the process.
    std::thread other([self] {
        Sleep(300);
        PostThreadMessageA(self, WM_QUIT, 7, 0);
        Sleep(200);
        PostThreadMessageA(self, WM_APP, 0, 0);
        Sleep(1000);
        outlook_standin::EndStandIns();
    });
    const double cpuBefore = outlook_standin::ProcessCpuMilliseconds();
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 100, hook_install::Recording));
    const ULONGLONG elapsed = GetTickCount64() - start;
    const double cpu = outlook_standin::ProcessCpuMilliseconds() - cpuBefore;
    other.join();
    std::printf("waited %llu ms using %.1f ms of CPU\n", elapsed, cpu);
    EXPECT_TRUE(QuitRequested());
    EXPECT_TRUE(hook_install::InstalledAndRemoved());
    EXPECT_GE(elapsed, 1500u);
    EXPECT_LT(elapsed, 2000u);
    EXPECT_LT(cpu, 100.0);
    EXPECT_EQ(RunMessageLoop(), 7) << "the main loop still gets the quit";
}

} // namespace
