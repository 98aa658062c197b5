#pragma once

// The CDO library's session object ("MAPI.Session"), reached through COM automation, as the
// launch's CdoSession.

#include "launcher/launch_sequence.h"

#include <memory>

#ifdef _WIN32
// A new session object with its Session interface; throws ComError when the object cannot be
// created or does not offer that interface. Call it on the user-interface thread, which becomes
// the object's single-threaded apartment.
std::unique_ptr<CdoSession> CreateCdoSession();
#endif
