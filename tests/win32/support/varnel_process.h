#pragma once

// Starts the real varnel.exe for end-to-end tests and reaches into its windows from outside,
// as a user's tools would: by class, by text, with posted keys and clicks.

#include "platform/win32_raii.h"
#include "support/test_support.h"
#include "support/window_helpers.h"

#include <windows.h>

#include <string>

namespace varnel_process {

// The top-level window of class `className` that belongs to `processId` (a visible one if
// asked: a process may keep hidden ones of the same class, such as menus not open now), or
// nullptr.
HWND WindowOf(DWORD processId, const char* className, bool visibleOnly = false);

// Another process's window text (WM_GETTEXT is carried across processes).
using test_support::TextOf;

// The control that has the keyboard focus in the thread that owns `window`.
HWND FocusOf(HWND window);

// Posts a key press (down and up) to `target`, as the keyboard would deliver it.
void Press(HWND target, WPARAM key);

// varnel.exe started from a folder of its own (a copy with the varnel.ini given), ended at
// destruction if it is still running.
class Varnel {
  public:
    // ini: the text of varnel.ini beside the copy; no file when empty. agedIni: the file is
    // dated an hour back, as a file the user wrote earlier would be (Wine reads a profile file
    // again on every call while it is less than 2.1 s old). subfolder: the copy lies in a
    // folder of that name inside the scratch folder.
    explicit Varnel(const std::string& ini, bool agedIni = false,
                    const std::wstring& subfolder = {});
    ~Varnel();
    Varnel(const Varnel&) = delete;
    Varnel& operator=(const Varnel&) = delete;

    // The main window once it is visible (waits up to 15 s), nullptr if it never is.
    HWND MainWindow();
    DWORD Id() const { return id_; }
    HANDLE Process() const { return process_.get(); }
    // Waits for the program to end; true when it did within `milliseconds`.
    bool WaitForExit(DWORD milliseconds);
    DWORD ExitCode() const;
    const std::string& Folder() const { return folder_.path(); }

  private:
    test_support::ScratchFolder folder_;
    UniqueHandle process_;
    DWORD id_ = 0;
};

} // namespace varnel_process
