#include "common/journal.h"

#include "common/owners.h"

#include <windows.h>

namespace sandbox {

std::uint64_t JournalTicks() {
    using PreciseClock = void(WINAPI*)(LPFILETIME);
    static const PreciseClock precise = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        FARPROC found =
            kernel != nullptr ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
        return reinterpret_cast<PreciseClock>(reinterpret_cast<void*>(found));
    }();
    FILETIME now{};
    if (precise != nullptr) {
        precise(&now);
    } else {
        GetSystemTimeAsFileTime(&now);
    }
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

namespace {

void AppendLine(const std::string& path, const std::string& event, const std::string& detail) {
    std::string line = std::to_string(JournalTicks()) + " " + event;
    if (!detail.empty()) {
        line += " " + detail;
    }
    line += "\n";
    // Append-only access, and no other writer while this line is written: appends of two
    // processes are not atomic under Wine and could overwrite each other. A writer that finds
    // the file held by another tries again briefly; readers are never kept out.
    for (int attempt = 0; attempt < 100; ++attempt) {
        UniqueFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) {
            return;
        }
        Sleep(5);
    }
}

} // namespace

void AppendJournalLine(const std::string& path, const std::string& event,
                       const std::string& detail) noexcept {
    if (path.empty()) {
        return;
    }
    try {
        AppendLine(path, event, detail);
    } catch (...) {
        // A journal line that cannot be built (out of memory) is dropped.
    }
}

std::string EscapeControlCharacters(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            if (byte < 0x20) {
                escaped += "\\x";
                escaped += hex[byte >> 4];
                escaped += hex[byte & 0x0F];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

} // namespace sandbox
