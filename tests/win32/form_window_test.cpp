// The windows' state is deleted exactly once, however creation ends: refused before the window
// takes it (WM_NCCREATE), refused after (WM_CREATE), or the window made and destroyed.
#include "ui/form_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr const char* kClassName = "VarnelFormWindowTest";

struct CountedState : FormBase {
    explicit CountedState(int& deletions, bool refuseCreate)
        : deletions(deletions), refuseCreate(refuseCreate) {}
    ~CountedState() { ++deletions; }
    int& deletions;
    bool refuseCreate;
};

// What every window of ours answers; this one has neither commands nor a layout.
void OnCommand(CountedState&, int, int) {}
void ApplyDpi(CountedState&, UINT, const RECT&) {}
HCURSOR PointerOver(CountedState&, HWND, UINT) {
    return nullptr;
}

bool CountedMessage(CountedState& state, UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message == WM_CREATE && state.refuseCreate) {
        result = -1;
        return true;
    }
    return false;
}

CountedState* Create(int& deletions, bool refuseCreate = false) {
    static const bool registered = RegisterFormClass(
        kClassName, FormProc<CountedState, CountedMessage>, nullptr, nullptr, nullptr);
    EXPECT_TRUE(registered);
    return CreateForm(std::make_unique<CountedState>(deletions, refuseCreate), 0, kClassName, "",
                      WS_POPUP, nullptr, nullptr, 1440, 1440);
}

LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(FormWindowState, IsDeletedOnceWhenCreationIsRefusedBeforeTheWindowTakesIt) {
    int deletions = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    CountedState* state = Create(deletions);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(state, nullptr);
    EXPECT_EQ(deletions, 1);
}

TEST(FormWindowState, IsDeletedOnceWhenCreationIsRefusedAfterTheWindowTookIt) {
    int deletions = 0;
    EXPECT_EQ(Create(deletions, true), nullptr);
    EXPECT_EQ(deletions, 1);
}

TEST(FormWindowState, LivesAsLongAsItsWindow) {
    int deletions = 0;
    CountedState* state = Create(deletions);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(FormState<CountedState>(state->hwnd), state);
    EXPECT_EQ(deletions, 0);
    DestroyWindow(state->hwnd);
    EXPECT_EQ(deletions, 1);
}

} // namespace
