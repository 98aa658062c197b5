// varnel.exe: start-up, then the main window's events until it closes. The one place that
// wires the layers together: the launcher's catalogue, the main window, the message loop with
// the program's accelerators.
#include "launcher/bas_varnel.h"
#include "platform/message_pump.h"
#include "platform/system_dlls.h"
#include "resources/resource_ids.h"
#include "ui/frm_varnel.h"

#include <windows.h>

namespace {

// Start-up: finds varnel.ini, loads the catalogue and shows the main window.
void Main() {
    IniPath = GetIniPath();
    Locations.assign(1, LocationEntry{});
    LoadLocations();
    HWND window = CreateFrmVarnel();
    if (window == nullptr) {
        PostQuitMessage(1); // nothing to run on
        return;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a DLL by name.
    HardenDllSearch();
    UseAccelerators(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS)));
    Main();
    // COM is entered on first use (a launch, a link), on this thread, and left at exit.
    return RunMessageLoop();
}
