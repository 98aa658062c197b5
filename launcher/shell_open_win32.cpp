#include "launcher/shell_open.h"

#include "platform/ole_api.h"
#include "platform/system_dlls.h"

#include <shellapi.h>

void ShellOpen(HWND owner, const std::string& target) {
    // The shell may hand the link to a handler that COM starts: it needs the apartment.
    ole::EnterApartment();
    static const auto shellExecute =
        SystemFunction<decltype(&::ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (shellExecute != nullptr) {
        // Empty strings, not null pointers, for the parameters and the folder.
        shellExecute(owner, "open", target.c_str(), "", "", SW_SHOWNORMAL);
    }
}
