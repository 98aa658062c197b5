#include "platform/file_version.h"

#include "platform/system_dlls.h"
#include "platform/system_text.h"

#include <winver.h>

#include <string_view>
#include <vector>

namespace {

// The texts of a version block are named by their translation in eight hexadecimal digits:
// "\StringFileInfo\040904B0\Comments".
std::wstring StringPath(WORD language, WORD codePage, std::wstring_view name) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring path = L"\\StringFileInfo\\00000000\\";
    const DWORD translation = (static_cast<DWORD>(language) << 16) | codePage;
    for (int i = 0; i < 8; ++i) {
        path[16 + i] = kDigits[(translation >> (28 - 4 * i)) & 0xF];
    }
    return path.append(name);
}

} // namespace

FileVersionInfo ReadFileVersionInfo(const std::wstring& path) {
    FileVersionInfo result;
    const auto sizeOf = SystemFunction<decltype(&GetFileVersionInfoSizeW)>(
        "version.dll", "GetFileVersionInfoSizeW");
    const auto read =
        SystemFunction<decltype(&GetFileVersionInfoW)>("version.dll", "GetFileVersionInfoW");
    const auto query = SystemFunction<decltype(&VerQueryValueW)>("version.dll", "VerQueryValueW");
    if (sizeOf == nullptr || read == nullptr || query == nullptr) {
        return result;
    }
    DWORD unused = 0;
    const DWORD size = sizeOf(path.c_str(), &unused);
    if (size == 0) {
        return result;
    }
    std::vector<BYTE> block(size);
    if (!read(path.c_str(), 0, size, block.data())) {
        return result;
    }
    // Every value found points into the block.
    void* value = nullptr;
    UINT length = 0;
    if (query(block.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        if (fixed->dwSignature == VS_FFI_SIGNATURE) {
            result.found = true;
            result.fileVersionMS = fixed->dwFileVersionMS;
            result.fileVersionLS = fixed->dwFileVersionLS;
        }
    }
    if (!query(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < 2 * sizeof(WORD)) {
        return result;
    }
    const auto* translation = static_cast<const WORD*>(value); // language, then code page
    const auto text = [&](std::wstring_view name) {
        if (!query(block.data(), StringPath(translation[0], translation[1], name).c_str(), &value,
                   &length) ||
            length == 0) {
            return std::string();
        }
        // The length counts characters, with the terminator or without: the text ends at its
        // first null either way.
        std::wstring_view wide(static_cast<const wchar_t*>(value), length);
        wide = wide.substr(0, wide.find(L'\0'));
        return AnsiFromWide(wide).value_or(std::string());
    };
    result.comments = text(L"Comments");
    result.legalCopyright = text(L"LegalCopyright");
    return result;
}

FileVersionInfo ReadFileVersionInfo(HMODULE module) {
    const std::wstring path = ModuleFileName(module);
    return path.empty() ? FileVersionInfo() : ReadFileVersionInfo(path);
}
