#include "cdo/cdo_config.h"

#include "common/cdo_settings.h"
#include "common/settings.h"

namespace sandbox {

namespace {

constexpr const char* kCalls[] = {"Create", "Logon", "CurrentUser", "Address", "Name", "Logoff"};

bool SameText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The key names of one section, in file order.
std::vector<std::string> KeysOf(const std::string& file, const char* section) {
    std::vector<char> buffer(4096);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                          static_cast<DWORD>(buffer.size()), file.c_str());
        if (length + 2 < buffer.size()) {
            break;
        }
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::string> keys;
    for (DWORD at = 0; at < length;) {
        const std::string key(buffer.data() + at);
        at += static_cast<DWORD>(key.size()) + 1;
        if (!key.empty()) {
            keys.push_back(key);
        }
    }
    return keys;
}

std::vector<std::string> SplitAliases(const std::string& list) {
    std::vector<std::string> aliases;
    std::size_t from = 0;
    for (;;) {
        const auto comma = list.find(',', from);
        const std::string alias = TrimBlanks(
            list.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!alias.empty()) {
            aliases.push_back(alias);
        }
        if (comma == std::string::npos) {
            return aliases;
        }
        from = comma + 1;
    }
}

} // namespace

bool CdoConfig::Fails(const char* call) const {
    return fail == call;
}

bool CdoConfig::Resolves(const std::string& server, const std::string& alias) const {
    for (const auto& [name, aliases] : mailboxes) {
        if (!SameText(name, server)) {
            continue;
        }
        for (const auto& listed : aliases) {
            if (SameText(listed, alias)) {
                return true;
            }
        }
    }
    return false;
}

std::string CdoConfigPath(HMODULE module) {
    const auto named = EnvironmentValue(kCdoSettingsVariable);
    if (named && !named->empty()) {
        return *named;
    }
    return ModuleFolder(module) + "\\cdo-standin.ini";
}

CdoConfig LoadCdoConfig(const std::string& path) {
    CdoConfig config;
    config.journal = IniValue(path, "Session", "Journal");
    config.profileName = IniValue(path, "Session", "ProfileName");
    const std::string fail = IniValue(path, "Session", "Fail");
    for (const char* call : kCalls) {
        if (!fail.empty() && SameText(fail, call)) {
            config.fail = call;
        }
    }
    if (const auto code = ParseNumber(IniValue(path, "Session", "FailCode"))) {
        const auto hr = static_cast<HRESULT>(static_cast<unsigned long>(*code));
        config.failCode = FAILED(hr) ? hr : E_FAIL;
    }
    for (const auto& server : KeysOf(path, "Mailboxes")) {
        config.mailboxes.emplace_back(server,
                                      SplitAliases(IniValue(path, "Mailboxes", server.c_str())));
    }
    return config;
}

} // namespace sandbox
