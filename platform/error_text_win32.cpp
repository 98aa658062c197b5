#include "platform/error_text.h"

#include "platform/trace.h"

#include <cstdint>
#include <cstring>

namespace {

struct KnownCode {
    std::uint32_t code;
    const char* meaning;
};

// What the system's descriptions do not say: what the code means for a launch.
constexpr KnownCode kLaunchCodes[] = {
    {0x800401F3, "CO_E_CLASSSTRING: no \"MAPI.Session\" is registered: class not registered, "
                 "the CDO library is not installed"},
    {0x80040154, "REGDB_E_CLASSNOTREG: class not registered, the CDO library is not registered "
                 "properly"},
    {0x80040102, "MAPI_E_NO_SUPPORT: the mail system does not support the call"},
    {0x8004010F, "MAPI_E_NOT_FOUND: the server or the mailbox was not found"},
    {0x80040111, "MAPI_E_LOGON_FAILED: the logon failed"},
    {0x80040113, "MAPI_E_USER_CANCEL: the logon was cancelled"},
    {0x80040115, "MAPI_E_NETWORK_ERROR: the server cannot be reached"},
    {0x8004011C, "MAPI_E_UNCONFIGURED: the profile is not configured"},
    {0x8004011D, "MAPI_E_FAILONEPROVIDER: a service of the profile failed"},
};

// `number` and, in brackets, the system's description of `code` (without its line end), or
// `meaning` when given.
std::string Described(const std::string& number, DWORD code, const char* meaning) {
    char text[512];
    DWORD length = 0;
    if (meaning == nullptr) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                              text[length - 1] == ' ' || text[length - 1] == '.')) {
            --length;
        }
        meaning = "no description";
    }
    std::string described = number;
    described += " (";
    described.append(length > 0 ? text : meaning, length > 0 ? length : std::strlen(meaning));
    described += ')';
    return described;
}

} // namespace

std::string SystemErrorText(DWORD code) {
    return Described(Decimal(static_cast<long>(code)), code, nullptr);
}

std::string HresultText(HRESULT code) {
    const auto value = static_cast<std::uint32_t>(code);
    const char* meaning = nullptr;
    for (const KnownCode& known : kLaunchCodes) {
        if (known.code == value) {
            meaning = known.meaning;
        }
    }
    return Described(Hex(value), value, meaning);
}
