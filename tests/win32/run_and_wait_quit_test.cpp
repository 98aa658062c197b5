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

// A window that ends the program when it is closed, as the main window does.
LRESULT CALLBACK QuitWhenClosed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

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

TEST(RunAndWait, AfterAQuitThePauseStillPaintsAndAnswersOtherProgramsWithoutSpinning) {
    ASSERT_TRUE(test_support::FileExists(outlook_standin::ProgramPath()));
    const outlook_standin::Session outlook("exit");
    const outlook_standin::Watchdog watchdog(15000);
    const UniqueWindow window(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                              nullptr, nullptr, nullptr, nullptr));
    SetWindowLongPtrA(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QuitWhenClosed));
    bool painted = false;
    bool answered = false;
    ULONGLONG answerMs = 0;
    // Another program closes the window, then it needs painting, then that program sends it a
    // message.
    std::thread other([&] {
        Sleep(300);
        PostMessageA(window.get(), WM_CLOSE, 0, 0);
        Sleep(200);
        InvalidateRect(window.get(), nullptr, TRUE);
        Sleep(300);
        painted = GetUpdateRect(window.get(), nullptr, FALSE) == FALSE;
        const ULONGLONG sent = GetTickCount64();
        DWORD_PTR result = 0;
        answered =
            SendMessageTimeoutA(window.get(), WM_NULL, 0, 0, SMTO_NORMAL, 1500, &result) != 0;
        answerMs = GetTickCount64() - sent;
    });
    const double cpuBefore = outlook_standin::ProcessCpuMilliseconds();
    EXPECT_TRUE(RunAndWait(outlook.CommandLine(), IsOutlookRunning, 2500, hook_install::Recording));
    const double cpu = outlook_standin::ProcessCpuMilliseconds() - cpuBefore;
    other.join();
    std::printf("answered in %llu ms; the pause used %.1f ms of CPU\n", answerMs, cpu);
    EXPECT_TRUE(painted);
    EXPECT_TRUE(answered);
    EXPECT_LT(answerMs, 1500u);
    EXPECT_LT(cpu, 100.0);
    EXPECT_EQ(RunMessageLoop(), 7) << "the main loop still gets the quit";
}

} // namespace
