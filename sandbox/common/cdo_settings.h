#pragma once

// The CDO stand-in's settings file (cdo/cdo_config.h reads it), written by the tests and the
// bench for the sessions that they have the program create.

#include <string>

namespace sandbox {

// Names the settings file for every session that a process (and its children) creates.
inline constexpr char kCdoSettingsVariable[] = "VARNEL_CDO_CONFIG";

// The file's values, as text: a test may write what the stand-in must cope with. Any of them may
// be left out of an initializer, hence the {}.
struct CdoSettingsFile {
    // [Session] Journal: where the calls are journaled; empty: nowhere.
    std::string journal{};
    // [Session] ProfileName: empty: a generated name.
    std::string profileName{};
    // [Session] Fail: the call that fails (Create, Logon, ...); empty: none.
    std::string fail{};
    // [Session] FailCode, e.g. "0x80040111"; empty: E_FAIL.
    std::string failCode{};
    // [Mailboxes]: "server=alias,alias" lines, separated by CR LF.
    std::string mailboxes{};
};

// Writes the file at `path`, replacing what was there; false when it cannot be written.
bool WriteCdoSettings(const std::string& path, const CdoSettingsFile& settings);

} // namespace sandbox
