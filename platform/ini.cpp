#include "platform/ini.h"

#include <algorithm>
#include <limits>

namespace {

// Calls the service with a buffer of `size` spaces and keeps the characters it reports,
// never more than the buffer holds.
std::string CallService(const ProfileStringService& service, const char* section, const char* key,
                        const char* defaultText, std::int16_t size, const wchar_t* file) {
    if (size <= 0) {
        return {};
    }
    std::string buffer(static_cast<std::size_t>(size), ' ');
    const std::uint32_t copied =
        service(section, key, defaultText, buffer.data(), static_cast<std::uint32_t>(size), file);
    const auto n = static_cast<std::int16_t>(copied);
    buffer.resize(static_cast<std::size_t>(std::clamp<std::int16_t>(n, 0, size)));
    return buffer;
}

} // namespace

std::string ReadIniValue(const ProfileStringService& service, const std::string& section,
                         const std::string& key, const std::string& defaultText,
                         std::int16_t bufferSize, const std::wstring& file) {
    return CallService(service, section.c_str(), key.c_str(), defaultText.c_str(), bufferSize,
                       file.c_str());
}

std::vector<std::string> SplitNameList(const std::string& nameList) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = nameList.find('\0', start);
        if (end == std::string::npos) {
            break;
        }
        names.push_back(nameList.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::int16_t ReadIniSection(const ProfileStringService& service, const std::string& section,
                            const std::wstring& file, std::vector<LocationEntry>& rows, bool* cut) {
    const std::string nameList =
        CallService(service, section.c_str(), nullptr, "", kSectionNameListSize, file.c_str());
    if (cut != nullptr) {
        // A whole list ends with the null after its last name; a cut one with part of a name.
        *cut = !nameList.empty() && nameList.back() != '\0';
    }
    std::int16_t count = 0;
    for (const std::string& name : SplitNameList(nameList)) {
        if (count == std::numeric_limits<std::int16_t>::max()) {
            break;
        }
        ++count;
        rows.resize(static_cast<std::size_t>(count) + 1);
        LocationEntry& row = rows[static_cast<std::size_t>(count)];
        row.Location = name;
        // Fetched again by name: a repeated name carries the value of its first entry.
        row.Server = ReadIniValue(service, section, name, "", kSectionValueSize, file);
    }
    return count;
}
