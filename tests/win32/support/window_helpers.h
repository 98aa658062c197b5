#pragma once

// Reading windows as a test sees them: texts, classes, the windows of this thread or of a
// process, control rectangles, fonts, tool tips, device contexts that are given back, and a driver
// for the modal loops (message boxes, menus, the About box) that a test starts and cannot leave.

#include "support/test_support.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace test_support {

// The window's text (GetWindowText: an in-process window's own answer).
std::string Text(HWND window);

// The window's text through WM_GETTEXT, which is carried across processes; gives up on a
// window that does not answer within five seconds.
std::string TextOf(HWND window);

std::string ClassOf(HWND window);

// This thread's top-level windows; those of one class that are visible ("#32770" message
// boxes, "#32768" menus).
std::vector<HWND> ThreadWindows();
std::vector<HWND> VisibleThreadWindows(const std::string& className);
// The first of those, or nullptr.
HWND VisibleThreadWindow(const std::string& className);

// The top-level windows of the process, of the class given, visible ones only if asked.
std::vector<HWND> ProcessWindows(DWORD processId, const std::string& className,
                                 bool visibleOnly = false);

// Every descendant of `window`.
std::vector<HWND> Children(HWND window);

// The message a message box shows: the longest text among its static controls (read with
// WM_GETTEXT, so a box of another process will do).
std::string MessageOf(HWND box);

// Whether a window of this thread shows the hourglass: the pointer it sets when the mouse moves
// over it.
bool ShowsHourglass(HWND window);

// The tool-tip window of this thread that `owner` owns, or nullptr.
HWND ToolTipOf(HWND owner);
// The text that the tool tips `tips` show for `tool`, a control of `owner`.
std::string ToolTipText(HWND tips, HWND owner, HWND tool);

// A control's rectangle in pixels relative to `window`'s client area.
RECT RectIn(HWND window, HWND control);
RECT RectIn(HWND window, int id);

HFONT FontOf(HWND control);

// A visible top-level window standing for another program's, made the active one.
UniqueWindow ActivateAnotherWindow();

// A window's device context (the screen's for nullptr), given back at destruction together
// with whatever Select put into it.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (old_ != nullptr) {
            SelectObject(dc_, old_);
        }
        ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    // Selects `object` until destruction; one selection at a time.
    void Select(HGDIOBJ object) {
        const HGDIOBJ previous = SelectObject(dc_, object);
        if (old_ == nullptr) {
            old_ = previous;
        }
    }

  private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// A memory device context like the screen's with a bitmap of `width` x `height` pixels of its
// own selected into it, all given back at destruction.
class MemoryDc {
  public:
    MemoryDc(int width, int height)
        : dc_(CreateCompatibleDC(WindowDc(nullptr).get())),
          bitmap_(CreateCompatibleBitmap(WindowDc(nullptr).get(), width, height)),
          old_(SelectObject(dc_, bitmap_)) {}
    ~MemoryDc() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// Drives a modal loop from inside it: a thread timer fires in the loop every `interval` ms,
// finds the loop's window and hands it to the steps in turn; a step returns false to be
// tried again at the next tick. If the steps have not all run, or the window is still there
// after they have, `patience` ms after the last step, `forceClose` ends whatever is open so
// that no fault can hang the test, and `forced` says so.
class ModalDriver {
  public:
    using Find = std::function<HWND()>;
    using Step = std::function<bool(HWND window)>;
    ModalDriver(Find find, std::vector<Step> steps, std::function<void()> forceClose,
                UINT interval = 50, DWORD patience = 5000);
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Every step has run.
    bool done() const { return next_ == steps_.size(); }
    bool forced = false;

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static inline ModalDriver* current = nullptr;
    Find find_;
    std::vector<Step> steps_;
    std::function<void()> forceClose_;
    std::size_t next_ = 0;
    ULONGLONG deadline_;
    DWORD patience_;
    UINT_PTR timer_ = 0;
};

} // namespace test_support
