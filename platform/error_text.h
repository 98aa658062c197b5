#pragma once

// What a failure code means, for the trace: the code and its description.

#include <windows.h>

#include <string>

// A system error code (GetLastError, a registry status): "2 (The system cannot find the file
// specified.)", the description as the system gives it.
std::string SystemErrorText(DWORD code);

// A COM or MAPI failure code: "0x800401F3 (...)". The codes that the CDO library and the mail
// system raise are described here, for what they mean to a launch; every other code as the
// system describes it.
std::string HresultText(HRESULT code);
