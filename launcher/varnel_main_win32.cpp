// varnel.exe: start-up, then the main window's events until it closes.
#include "launcher/bas_varnel.h"
#include "platform/message_pump.h"

#include <objbase.h>
#include <ole2.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The CDO session object is apartment-threaded: this thread is its apartment for the run.
    const HRESULT ole = OleInitialize(nullptr);
    Main();
    const int exitCode = RunMessageLoop();
    if (SUCCEEDED(ole)) {
        OleUninitialize();
    }
    return exitCode;
}
