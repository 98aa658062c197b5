#include "launcher/outlook.h"

#include "platform/error_text.h"
#include "platform/registry_management.h"
#include "platform/trace.h"

#include <windows.h>

bool IsOutlookRunning() {
    return FindWindowA(kOutlookWindowClass, nullptr) != nullptr;
}

std::string GetOutlookPath() {
    LONG status = ERROR_SUCCESS;
    const std::string command =
        ReadRegValue(HKEY_CLASSES_ROOT, kOutlookCommandKey, "", "", &status);
    const std::string program = OutlookProgramFromCommand(command);
    if (status != ERROR_SUCCESS) {
        Trace({"Outlook's command: HKEY_CLASSES_ROOT\\", kOutlookCommandKey,
               ", default value, cannot be read: ", SystemErrorText(status)});
    } else {
        Trace({"Outlook's command: HKEY_CLASSES_ROOT\\", kOutlookCommandKey, ", default value: ",
               command, "; its program: ", program.empty() ? "none" : program});
    }
    return program;
}
