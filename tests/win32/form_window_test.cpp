// The windows' state is deleted exactly once, however creation ends: refused before the window
// takes it (WM_INITDIALOG), or the window made and destroyed.
#include "ui/form_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr const char* kClassName = "VarnelFormWindowTest";

struct CountedState : FormBase {
    explicit CountedState(int& deletions) : deletions(deletions) {}
    ~CountedState() { ++deletions; }
    int& deletions;
};

// What every window of ours answers; this one has neither commands nor a layout.
void OnCommand(CountedState&, int, int) {}
void ApplyDpi(CountedState&, UINT, const RECT&) {}
HCURSOR PointerOver(CountedState&, HWND, UINT) {
    return nullptr;
}

bool CountedMessage(CountedState&, UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

CountedState* Create(int& deletions) {
    static const bool registered = RegisterFormClass(kClassName, nullptr, nullptr, nullptr);
    EXPECT_TRUE(registered);
    static const FormTemplate kTemplate(WS_POPUP, 0, 0, kClassName, "");
    auto state = std::make_unique<CountedState>(deletions);
    HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), kTemplate.get(), nullptr,
                                             FormProc<CountedState, CountedMessage>,
                                             reinterpret_cast<LPARAM>(&state));
    return window != nullptr ? FormState<CountedState>(window) : nullptr;
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
