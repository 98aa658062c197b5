#include "common/cdo_settings.h"

#include "common/files.h"

namespace sandbox {

bool WriteCdoSettings(const std::string& path, const CdoSettingsFile& settings) {
    return WriteWholeFile(path, "[Session]\r\nJournal=" + settings.journal + "\r\nProfileName=" +
                                    settings.profileName + "\r\nFail=" + settings.fail +
                                    "\r\nFailCode=" + settings.failCode + "\r\n[Mailboxes]\r\n" +
                                    settings.mailboxes + "\r\n");
}

} // namespace sandbox
