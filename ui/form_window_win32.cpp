#include "ui/form_window.h"

#include <commctrl.h>

#include <algorithm>

bool RegisterFormClass(const char* className, HICON icon, HICON smallIcon, HBRUSH background) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassExA(&windowClass) != 0;
}

void CreateFormControls(const FormBase& form, FormControlTable controls) {
    for (const auto& [control, design] : controls) {
        control->rect = design.rect;
        control->font = design.font;
        control->hwnd = CreateWindowExA(
            design.exStyle, design.className, design.text, WS_CHILD | WS_VISIBLE | design.style,
            TwipsToPixels(design.rect.left, form.dpi), TwipsToPixels(design.rect.top, form.dpi),
            TwipsToPixels(design.rect.width, form.dpi), TwipsToPixels(design.rect.height, form.dpi),
            form.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)),
            GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control->hwnd, WM_SETFONT,
                     reinterpret_cast<WPARAM>(form.fonts[static_cast<int>(design.font)].get()),
                     FALSE);
        KeepControlLayoutOurOwn(control->hwnd);
    }
}

FormTemplate::FormTemplate(DWORD style, DWORD exStyle, WORD menuId, const char* className,
                           const char* title) {
    // DLGTEMPLATE: style and extended style, no controls, placed and sized once the window
    // has its state.
    words_ = {LOWORD(style), HIWORD(style), LOWORD(exStyle), HIWORD(exStyle), 0, 0, 0, 0, 0};
    if (menuId != 0) {
        words_.insert(words_.end(), {0xFFFF, menuId});
    } else {
        words_.push_back(0);
    }
    // The class names and captions of ours are plain ASCII, the same in every code page.
    for (const char* text : {className, title}) {
        for (const char* c = text; *c != '\0'; ++c) {
            words_.push_back(static_cast<unsigned char>(*c));
        }
        words_.push_back(0);
    }
}

void PlaceFormControl(const FormBase& form, const FormControl& control) {
    SetWindowPos(control.hwnd, nullptr, TwipsToPixels(control.rect.left, form.dpi),
                 TwipsToPixels(control.rect.top, form.dpi),
                 TwipsToPixels(control.rect.width, form.dpi),
                 TwipsToPixels(control.rect.height, form.dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddToolTips(FormBase& form, std::initializer_list<std::pair<HWND, const char*>> tips) {
    form.toolTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form.hwnd,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    for (const auto& [control, text] : tips) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = form.hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<char*>(text);
        SendMessageA(form.toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void SizeToDesign(const FormBase& form, int clientWidthTwips, int clientHeightTwips) {
    RECT frame{0, 0, TwipsToPixels(clientWidthTwips, form.dpi),
               TwipsToPixels(clientHeightTwips, form.dpi)};
    AdjustWindowRectForDpi(&frame, static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_STYLE)),
                           GetMenu(form.hwnd) != nullptr ? TRUE : FALSE,
                           static_cast<DWORD>(GetWindowLongA(form.hwnd, GWL_EXSTYLE)), form.dpi);
    SetWindowPos(form.hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOn(HWND window, HWND over) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const HMONITOR screen = over != nullptr ? MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST)
                                            : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoA(screen, &monitor)) {
        return;
    }
    const RECT work = monitor.rcWork;
    RECT centre = work;
    if (over != nullptr) {
        GetWindowRect(over, &centre);
    }
    RECT outer{};
    GetWindowRect(window, &outer);
    const LONG width = outer.right - outer.left;
    const LONG height = outer.bottom - outer.top;
    LONG left = centre.left + (centre.right - centre.left - width) / 2;
    LONG top = centre.top + (centre.bottom - centre.top - height) / 2;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplyFormDpi(FormBase& form, UINT dpi, FormFonts fonts, FormControlTable controls,
                  const RECT& suggested) {
    form.dpi = dpi;
    for (const FormControlEntry& entry : controls) {
        const FormControl* control = entry.control;
        SendMessageA(control->hwnd, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts[static_cast<int>(control->font)].get()), FALSE);
        PlaceFormControl(form, *control);
    }
    // No control uses the old fonts any more: they go as the new ones take their place.
    form.fonts = std::move(fonts);
    SetWindowPos(form.hwnd, nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(form.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
