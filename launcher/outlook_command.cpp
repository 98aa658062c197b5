#include "launcher/outlook.h"

std::string OutlookProgramFromCommand(const std::string& command) {
    return command.substr(0, command.find(kOutlookArgumentMarker));
}
