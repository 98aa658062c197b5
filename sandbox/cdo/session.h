#pragma once

// The Session object of the stand-in CDO library and the AddressEntry its CurrentUser returns.

#include "cdo/cdo_config.h"

#include <windows.h>
#include <ole2.h>

#include <memory>

namespace sandbox {

// Dispatch identifiers of the Session.
inline constexpr DISPID kDispidCurrentUser = 1;
inline constexpr DISPID kDispidProfileInfo = 6; // Logon's named argument
inline constexpr DISPID kDispidName = 23;
inline constexpr DISPID kDispidLogoff = 118;
inline constexpr DISPID kDispidLogon = 119;

// Creates a Session on `config` (the caller has journaled "create") and asks it for `riid`.
HRESULT CreateSession(std::shared_ptr<const CdoConfig> config, REFIID riid, void** object);

} // namespace sandbox
