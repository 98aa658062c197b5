#include "platform/dpi.h"

#include "platform/system_dlls.h"

// The per-monitor functions arrived with Windows 10: they are looked up, so that older systems
// still run.

UINT DpiForWindow(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

BOOL AdjustWindowRectForDpi(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle, UINT dpi) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = SystemFunction<AdjustFn>("user32.dll", "AdjustWindowRectExForDpi");
    if (adjust != nullptr) {
        return adjust(rect, style, hasMenu, exStyle, dpi);
    }
    return AdjustWindowRectEx(rect, style, hasMenu, exStyle);
}

// SetDialogDpiChangeBehavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL) and
// SetDialogControlDpiChangeBehavior(control, DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT, the
// same): both arrived with Windows 10, 1703.
void KeepDialogLayoutOurOwn(HWND dialog) {
    static const auto set =
        SystemFunction<BOOL(WINAPI*)(HWND, int, int)>("user32.dll", "SetDialogDpiChangeBehavior");
    if (set != nullptr) {
        set(dialog, 0x1, 0x1);
    }
}

void KeepControlLayoutOurOwn(HWND control) {
    static const auto set = SystemFunction<BOOL(WINAPI*)(HWND, int, int)>(
        "user32.dll", "SetDialogControlDpiChangeBehavior");
    if (set != nullptr) {
        set(control, 0x1 | 0x2, 0x1 | 0x2);
    }
}
