#include "platform/ini.h"

#include "platform/system_text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

ProfileStringService SystemProfileService() {
    return [](const char* section, const char* key, const char* defaultText, char* buffer,
              std::uint32_t size, const wchar_t* file) -> std::uint32_t {
        if (size == 0) {
            return 0;
        }
        const std::wstring wideSection = WideFromAnsi(section);
        const std::wstring wideKey = key != nullptr ? WideFromAnsi(key) : std::wstring();
        const std::wstring wideDefault = WideFromAnsi(defaultText);
        std::wstring wide(size, L' ');
        const DWORD copied = GetPrivateProfileStringW(wideSection.c_str(),
                                                      key != nullptr ? wideKey.c_str() : nullptr,
                                                      wideDefault.c_str(), wide.data(), size, file);
        // Characters of two bytes in the code page may make the text longer than the buffer;
        // it is cut there, as the service cuts what does not fit.
        const std::string text =
            AnsiFromWide(std::wstring_view(wide.data(), std::min<DWORD>(copied, size)))
                .value_or(std::string());
        const std::size_t kept = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(buffer, text.data(), kept);
        buffer[kept] = '\0';
        return static_cast<std::uint32_t>(kept);
    };
}
