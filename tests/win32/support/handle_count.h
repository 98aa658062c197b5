#pragma once

// The number of kernel handles this process holds, for tests that check nothing is left open.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace test_support {

namespace detail {

// One row of the system's handle table (SystemHandleInformation), as Wine lays it out.
struct SystemHandleEntry {
    ULONG ownerProcessId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

// This process's rows of the system's handle table; -1 when it cannot be read.
inline long HandlesInSystemTable() {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return -1;
    }
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<std::uint8_t> buffer(1 << 16);
    LONG status = kInfoLengthMismatch;
    for (; status == kInfoLengthMismatch && buffer.size() <= (1u << 26);) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
        }
    }
    if (status != 0) {
        return -1;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(PVOID));
    long own = 0;
    for (ULONG i = 0; i < count; ++i) {
        own += entries[i].ownerProcessId == GetCurrentProcessId() ? 1 : 0;
    }
    return own;
}

} // namespace detail

// GetProcessHandleCount where it works; Wine's always reports 0, so there the system's handle
// table is counted instead. -1 when neither can be read.
inline long OpenHandleCount() {
    using GetProcessHandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
    const auto countHandles = reinterpret_cast<GetProcessHandleCountFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount")));
    DWORD handles = 0;
    if (countHandles != nullptr && countHandles(GetCurrentProcess(), &handles) && handles != 0) {
        return static_cast<long>(handles);
    }
    return detail::HandlesInSystemTable();
}

} // namespace test_support
