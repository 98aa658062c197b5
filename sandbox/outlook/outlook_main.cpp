// Stand-in for Outlook: records how it was started and, as configured, shows a main window of
// Outlook's class "rctrl_renwnd32" after a delay, ends at once with a given exit code, or keeps
// running without a window. See sandbox/README.md.

#include "common/journal.h"
#include "common/settings.h"
#include "outlook/outlook_config.h"

#include <windows.h>

#include <string>

namespace {

constexpr char kWindowClass[] = "rctrl_renwnd32";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        char title[512] = {};
        GetWindowTextA(window, title, sizeof title);
        const std::string text = std::string("Outlook stand-in\nProfile: ") + title;
        RECT client;
        GetClientRect(window, &client);
        InflateRect(&client, -12, -12);
        DrawTextA(dc, text.c_str(), -1, &client, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Registers the class and shows the main window; false when either fails.
bool ShowMainWindow(HINSTANCE instance, const std::string& title, const std::string& journal) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExA(&windowClass) == 0) {
        sandbox::AppendJournalLine(journal, "window-failed",
                                   "RegisterClassEx " + std::to_string(GetLastError()));
        return false;
    }
    // Journaled before creation: from the moment the window exists others can find it, so a
    // watcher's own later entries always come after this line.
    sandbox::AppendJournalLine(journal, "window", title);
    HWND window =
        CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 400, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        sandbox::AppendJournalLine(journal, "window-failed",
                                   "CreateWindowEx " + std::to_string(GetLastError()));
        return false;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Make the thread's message queue now, so that WM_QUIT posted to the thread from the
    // moment the "start" line is in the journal is never lost.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    const std::string commandLine = GetCommandLineA();
    const sandbox::OutlookConfig config =
        sandbox::LoadOutlookConfig(sandbox::ModuleFolder(nullptr) + "\\outlook-standin.ini");
    sandbox::AppendJournalLine(config.journal, "start", commandLine);

    unsigned exitCode = 0;
    if (config.mode == sandbox::OutlookMode::Exit) {
        exitCode = config.exitCode;
    } else {
        UINT_PTR delayTimer = 0;
        if (config.mode == sandbox::OutlookMode::Window) {
            if (config.delayMs == 0) {
                if (!ShowMainWindow(instance, sandbox::ProfileTitle(commandLine), config.journal)) {
                    PostQuitMessage(1);
                }
            } else {
                delayTimer = SetTimer(nullptr, 0, config.delayMs, nullptr);
            }
        }
        for (;;) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                exitCode = got == 0 ? static_cast<unsigned>(message.wParam) : 1;
                break;
            }
            if (message.message == WM_TIMER && message.hwnd == nullptr && delayTimer != 0 &&
                message.wParam == delayTimer) {
                KillTimer(nullptr, delayTimer);
                delayTimer = 0;
                if (!ShowMainWindow(instance, sandbox::ProfileTitle(commandLine), config.journal)) {
                    PostQuitMessage(1);
                }
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    sandbox::AppendJournalLine(config.journal, "exit", std::to_string(exitCode));
    return static_cast<int>(exitCode);
}
