// varnel.exe: start-up, then the main window's events until it closes.
#include "launcher/bas_varnel.h"
#include "platform/message_pump.h"
#include "platform/system_dlls.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    HardenDllSearch();
    Main();
    // COM is entered on first use (a launch, a link), on this thread, and left at exit.
    return RunMessageLoop();
}
