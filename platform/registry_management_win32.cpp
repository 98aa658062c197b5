#include "platform/registry_management.h"

#include <array>

static_assert(KEY_READ == kKeyRead && ERROR_SUCCESS == kErrorSuccess);
static_assert(REG_NONE == kRegNone && REG_SZ == kRegSz && REG_EXPAND_SZ == kRegExpandSz &&
              REG_BINARY == kRegBinary && REG_DWORD == kRegDword &&
              REG_DWORD_BIG_ENDIAN == kRegDwordBigEndian && REG_LINK == kRegLink &&
              REG_MULTI_SZ == kRegMultiSz && REG_RESOURCE_LIST == kRegResourceList &&
              REG_FULL_RESOURCE_DESCRIPTOR == kRegFullResourceDescriptor &&
              REG_RESOURCE_REQUIREMENTS_LIST == kRegResourceRequirementsList &&
              REG_QWORD == kRegQword);

ExpandEnvironment SystemExpandEnvironment() {
    return [](const char* source, char* destination, std::uint32_t size) -> std::uint32_t {
        return ExpandEnvironmentStringsA(source, destination, size);
    };
}

LONG OpenRegKey(HKEY root, const std::string& keyPath, REGSAM access, UniqueRegKey& key) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(root, keyPath.c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        key.reset(opened);
    }
    return status;
}

LONG QueryRegValue(HKEY key, const std::string& valueName, RegValue& value) {
    std::array<unsigned char, kRegDataBufferSize> data{};
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LONG status =
        RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data.data(), &size);
    if (status == ERROR_SUCCESS) {
        DecodeRegData(data.data(), size, type, value, SystemExpandEnvironment());
    }
    return status;
}

std::string ReadRegValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultText, LONG* status) {
    std::string result = defaultText;
    UniqueRegKey key;
    RegValue value;
    LONG read = OpenRegKey(root, keyPath, KEY_READ, key);
    if (read == ERROR_SUCCESS) {
        read = QueryRegValue(key.get(), valueName, value);
    }
    if (read == ERROR_SUCCESS) {
        result = value.Text();
    }
    if (status != nullptr) {
        *status = read;
    }
    return result;
}
