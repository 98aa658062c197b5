#pragma once

// What the program's two windows share: a state object that the window owns, controls that a
// table describes (handle, twips rectangle, font role) and that creation and dpi changes both
// walk, tool tips, sizing to the design and centring on the screen.

#include "platform/dpi.h"
#include "platform/win32_raii.h"
#include "ui/twips.h"

#include <windows.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <span>
#include <utility>
#include <vector>

// The fonts a window's design names; each control shows its text in one of them.
enum class FontRole { Standard, Title, Link };
using FormFonts = std::array<UniqueFont, 3>;

// One control: its handle, the rectangle it has now (in twips; a window may move a control) and
// its font.
struct FormControl {
    HWND hwnd = nullptr;
    TwipsRect rect{};
    FontRole font = FontRole::Standard;
};

// How a control is made: window class, text, styles, identifier, rectangle and font.
struct ControlDesign {
    const char* className;
    const char* text;
    DWORD style;
    int id;
    TwipsRect rect;
    FontRole font = FontRole::Standard;
    DWORD exStyle = 0;
};

// A window's controls and their designs, in creation order (the tab order).
struct FormControlEntry {
    FormControl* control;
    ControlDesign design;
};
using FormControlTable = std::span<const FormControlEntry>;

// The part of a window's state that every window has.
struct FormBase {
    HWND hwnd = nullptr;
    UINT dpi = 96;
    FormFonts fonts;
    HWND toolTip = nullptr;
};

// Registers a window class of ours, a dialog class (the dialog manager's window procedure and
// its extra bytes): the arrow pointer, no class icon unless given; returns false when the system
// refuses.
bool RegisterFormClass(const char* className, HICON icon, HICON smallIcon, HBRUSH background);

// Creates each control of the table as a visible child where its design puts it, in its font.
void CreateFormControls(const FormBase& form, FormControlTable controls);

// Moves and sizes a control to its twips rectangle at the window's dpi.
void PlaceFormControl(const FormBase& form, const FormControl& control);

// Gives each control its tool tip, in one tool-tip window that the form's window owns.
void AddToolTips(FormBase& form, std::initializer_list<std::pair<HWND, const char*>> tips);

// Sizes the window so that its client area is the design's, at its dpi.
void SizeToDesign(const FormBase& form, int clientWidthTwips, int clientHeightTwips);

// Centres the window over `over`, or, without it, on the primary screen's work area; either way
// kept inside the work area of that screen, so that no edge of it leaves the screen.
void CentreOn(HWND window, HWND over);

// The window has moved to a screen of another dpi: every control takes its font made for that
// dpi and its rectangle at it; the old fonts go once no control uses them; the window takes the
// rectangle the system suggests and is drawn again.
void ApplyFormDpi(FormBase& form, UINT dpi, FormFonts fonts, FormControlTable controls,
                  const RECT& suggested);

// A command a window answers: the control's or menu item's identifier, the notification code
// (kAnyCode: every code, as for menu items and accelerators) and the handler.
inline constexpr int kAnyCode = -1;
template <typename State> struct CommandRoute {
    int id;
    int code;
    void (*handler)(State&);
};

// Runs the handler of the first route that matches; a command no route names is ignored.
template <typename State>
void RouteCommand(State& form, int id, int code, std::span<const CommandRoute<State>> routes) {
    for (const CommandRoute<State>& route : routes) {
        if (route.id == id && (route.code == kAnyCode || route.code == code)) {
            route.handler(form);
            return;
        }
    }
}

// ---- the window's ownership of its state -------------------------------------------------
//
// Each window of ours is a dialog of its own class, made from an in-memory template that names
// the class and holds no controls: the system's dialog manager then does for it what every
// dialog does (Tab, mnemonics, arrow keys in a group, the default button following the focus,
// the focus kept across activation), and the controls still come from the window's table.
// The state is handed over inside its unique_ptr with WM_INITDIALOG, which takes it; WM_NCDESTROY
// deletes it. Creation that fails before WM_INITDIALOG leaves it with the unique_ptr, which
// deletes it. Either way it is deleted exactly once.

template <typename State> State* FormState(HWND window) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// An in-memory dialog template without controls: styles, class, caption and, where the window
// has one, its menu by resource identifier.
class FormTemplate {
  public:
    FormTemplate(DWORD style, DWORD exStyle, WORD menuId, const char* className, const char* title);
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    std::vector<WORD> words_;
};

// The dialog procedure of a class whose windows keep a State. WM_INITDIALOG hands the state over
// and then reaches `Handle`, which builds the window and answers in `result` whether the dialog
// manager gives the first control the focus. The messages every window of ours answers alike
// are taken apart here and passed to functions that the window's own file defines next to State
// (found by argument-dependent lookup):
//   OnCommand(State&, int id, int code)                      WM_COMMAND
//   ApplyDpi(State&, UINT dpi, const RECT& suggested)         WM_DPICHANGED
//   PointerOver(State&, HWND window, UINT hitTest) -> HCURSOR WM_SETCURSOR (nullptr: the usual)
// `Handle` sees every other message with the state (never null) and returns true when it has
// answered it in `result`; the rest goes to the dialog manager.
//
// No exception leaves a window procedure: between a handler and the message loop lie the
// system's own frames, which no C++ exception may cross. A handler that throws (memory running
// out while a window loads, say) ends the program here and at once, through the terminate
// handler; the launch catches its own steps' errors long before this point.
template <typename State, bool (*Handle)(State&, UINT, WPARAM, LPARAM, LRESULT&)>
INT_PTR CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        State* taken = reinterpret_cast<std::unique_ptr<State>*>(lParam)->release();
        taken->hwnd = window;
        taken->dpi = DpiForWindow(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(taken));
        KeepDialogLayoutOurOwn(window);
        LRESULT focusFirst = TRUE;
        Handle(*taken, message, wParam, lParam, focusFirst);
        return focusFirst;
    }
    State* state = FormState<State>(window);
    if (state == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete state;
        return FALSE;
    }
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        OnCommand(*state, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DPICHANGED:
        if (HIWORD(wParam) == 0 || lParam == 0) {
            return FALSE;
        }
        ApplyDpi(*state, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_SETCURSOR: {
        HCURSOR pointer = PointerOver(*state, reinterpret_cast<HWND>(wParam), LOWORD(lParam));
        if (pointer == nullptr) {
            return FALSE;
        }
        SetCursor(pointer);
        result = TRUE;
        break;
    }
    default:
        if (!Handle(*state, message, wParam, lParam, result)) {
            return FALSE;
        }
        // The colour messages answer with their brush itself.
        if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
            return static_cast<INT_PTR>(result);
        }
        break;
    }
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}
