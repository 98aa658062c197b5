#include "support/window_helpers.h"

#include <commctrl.h>

#include <utility>

namespace test_support {

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace

std::string Text(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> VisibleThreadWindows(const std::string& className) {
    std::vector<HWND> found;
    for (HWND window : ThreadWindows()) {
        if (IsWindowVisible(window) && ClassOf(window) == className) {
            found.push_back(window);
        }
    }
    return found;
}

HWND VisibleThreadWindow(const std::string& className) {
    const std::vector<HWND> found = VisibleThreadWindows(className);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> ProcessWindows(DWORD processId, const std::string& className, bool visibleOnly) {
    std::vector<HWND> found;
    for (HWND window : TopLevelWindows()) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == processId && (!visibleOnly || IsWindowVisible(window)) &&
            ClassOf(window) == className) {
            found.push_back(window);
        }
    }
    return found;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string MessageOf(HWND box) {
    std::string message;
    for (HWND child : Children(box)) {
        const std::string text = TextOf(child);
        if (ClassOf(child) == "Static" && text.size() > message.size()) {
            message = text;
        }
    }
    return message;
}

bool ShowsHourglass(HWND window) {
    if (!IsWindow(window)) {
        return false;
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
}

HWND ToolTipOf(HWND owner) {
    for (HWND window : ThreadWindows()) {
        if (ClassOf(window) == TOOLTIPS_CLASSA && GetWindow(window, GW_OWNER) == owner) {
            return window;
        }
    }
    return nullptr;
}

std::string ToolTipText(HWND tips, HWND owner, HWND tool) {
    char text[256] = {};
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    return text;
}

RECT RectIn(HWND window, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT RectIn(HWND window, int id) {
    return RectIn(window, GetDlgItem(window, id));
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

ModalDriver::ModalDriver(Find find, std::vector<Step> steps, std::function<void()> forceClose,
                         UINT interval, DWORD patience)
    : find_(std::move(find)), steps_(std::move(steps)), forceClose_(std::move(forceClose)),
      deadline_(GetTickCount64() + patience), patience_(patience) {
    current = this;
    timer_ = SetTimer(nullptr, 0, interval, &ModalDriver::Tick);
}

ModalDriver::~ModalDriver() {
    KillTimer(nullptr, timer_);
    current = nullptr;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalDriver* self = current;
    if (self == nullptr || self->forced) {
        return;
    }
    const HWND window = self->find_();
    if (window == nullptr && self->done()) {
        return; // every step ran and the loop's window is gone
    }
    if (window != nullptr && !self->done() && self->steps_[self->next_](window)) {
        ++self->next_;
        self->deadline_ = GetTickCount64() + self->patience_;
    } else if (GetTickCount64() >= self->deadline_) {
        self->forced = true;
        self->forceClose_();
    }
}

UniqueWindow ActivateAnotherWindow() {
    UniqueWindow other(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr));
    SetActiveWindow(other.get());
    return other;
}

} // namespace test_support
