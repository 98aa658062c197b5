#include "platform/ini.h"

#include <windows.h>

ProfileStringService SystemProfileService() {
    return [](const char* section, const char* key, const char* defaultText, char* buffer,
              std::uint32_t size, const char* file) -> std::uint32_t {
        return GetPrivateProfileStringA(section, key, defaultText, buffer, size, file);
    };
}

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultText, std::int16_t bufferSize,
                         const std::string& file) {
    return ReadIniValue(SystemProfileService(), section, key, defaultText, bufferSize, file);
}

std::int16_t ReadIniSection(const std::string& section, const std::string& file,
                            std::vector<LocationEntry>& rows) {
    return ReadIniSection(SystemProfileService(), section, file, rows);
}
