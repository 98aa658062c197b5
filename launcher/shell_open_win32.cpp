#include "launcher/shell_open.h"

#include <shellapi.h>

void ShellOpen(HWND owner, const std::string& target) {
    // Empty strings, not null pointers, for the parameters and the folder.
    ShellExecuteA(owner, "open", target.c_str(), "", "", SW_SHOWNORMAL);
}
