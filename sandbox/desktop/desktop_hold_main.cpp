// Holds the Wine desktop of a test session open. Wine closes a virtual desktop a second after
// the last program on it ends, and the next program that needs one starts it again, which
// hands the desktop process that program's standard output and error: ctest then waits for
// that output to close, that is, until the desktop closes again, and a window created while it
// closes is refused. Started once per session by scripts/lib/wine-desktop, this program stays on
// the desktop until the session's wineserver ends it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Any window joins the desktop; a message-only one shows nothing.
    HWND window = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    if (window == nullptr) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    DestroyWindow(window);
    return 0;
}
