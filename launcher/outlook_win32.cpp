#include "launcher/outlook.h"

#include "platform/registry_management.h"

#include <windows.h>

bool IsOutlookRunning() {
    return FindWindowA(kOutlookWindowClass, nullptr) != nullptr;
}

std::string GetOutlookPath() {
    return OutlookProgramFromCommand(ReadRegValue(HKEY_CLASSES_ROOT, kOutlookCommandKey, "", ""));
}
