#include "launcher/bas_varnel.h"

std::vector<LocationEntry> Locations(1);
std::wstring IniPath;
std::string EmailAlias;

std::wstring FolderOfPath(const std::wstring& filePath) {
    const std::size_t slash = filePath.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return {};
    }
    std::wstring folder = filePath.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

std::wstring IniPathInFolder(const std::wstring& folder) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + kIniFileName;
    }
    return folder + L"\\" + kIniFileName;
}

std::int16_t LoadLocations(const ProfileStringService& service, bool* cut) {
    std::vector<LocationEntry> rows;
    const std::int16_t n = ReadIniSection(service, kLocationsSection, IniPath, rows, cut);
    if (n < 1) {
        return n;
    }
    // Rebuilt without keeping the old contents, so the manual row starts empty again.
    Locations.assign(static_cast<std::size_t>(n) + 1, LocationEntry{});
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i) {
        Locations[i] = rows[i];
    }
    return n;
}

std::string ServerForLocation(std::int16_t position) {
    const int row = position + 1;
    if (row < 0 || static_cast<std::size_t>(row) >= Locations.size()) {
        return {};
    }
    return Locations[static_cast<std::size_t>(row)].Server;
}

std::int16_t LocationCount() {
    return Locations.empty() ? 0 : static_cast<std::int16_t>(Locations.size() - 1);
}

void SetOtherServer(const std::string& server) {
    if (Locations.empty()) {
        Locations.resize(1);
    }
    Locations[0].Server = server;
}

void SetEmailAlias(const std::string& alias) {
    EmailAlias = alias;
}
