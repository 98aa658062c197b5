#include "common/settings.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace sandbox {

std::optional<std::string> EnvironmentValue(const char* name) {
    std::vector<char> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

std::string ModuleFolder(HMODULE module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            const auto slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string IniValue(const std::string& file, const char* section, const char* key) {
    std::vector<char> buffer(1024);
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(
            section, key, "", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
        if (length + 1 < buffer.size()) {
            std::string value(buffer.data(), length);
            for (std::size_t i = 1; i < value.size(); ++i) {
                if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t')) {
                    value.resize(i);
                    break;
                }
            }
            return TrimBlanks(value);
        }
        buffer.resize(buffer.size() * 4);
    }
}

std::string TrimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<long long> ParseNumber(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    const bool hex =
        trimmed.size() > 2 && trimmed[0] == '0' && (trimmed[1] == 'x' || trimmed[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long value =
        hex ? static_cast<long long>(std::strtoull(trimmed.c_str() + 2, &end, 16))
            : std::strtoll(trimmed.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || (hex && trimmed[2] == '-')) {
        return std::nullopt;
    }
    return value;
}

} // namespace sandbox
