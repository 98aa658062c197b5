#pragma once

// The stand-in CDO library's behaviour, read from an INI file each time a Session is created:
// the file named by VARNEL_CDO_CONFIG, else cdo-standin.ini beside the DLL.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace sandbox {

struct CdoConfig {
    std::string journal;       // [Session] Journal: Windows path; empty: no journal
    std::string profileName;   // [Session] ProfileName: empty: a generated name
    std::string fail;          // [Session] Fail: Create, Logon, CurrentUser, Address, Name,
                               // Logoff (as spelled here), or empty
    HRESULT failCode = E_FAIL; // [Session] FailCode
    // [Mailboxes] server=alias,alias,...
    std::vector<std::pair<std::string, std::vector<std::string>>> mailboxes;

    // True when `call` (one of the names above) is the one configured to fail.
    bool Fails(const char* call) const;
    // True when `alias` is listed for `server` (both compared regardless of case).
    bool Resolves(const std::string& server, const std::string& alias) const;
};

// The configuration file's path for the DLL `module`.
std::string CdoConfigPath(HMODULE module);

// Reads the file; a missing file gives the defaults (no journal, nothing resolves).
CdoConfig LoadCdoConfig(const std::string& path);

} // namespace sandbox
