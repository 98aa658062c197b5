#pragma once

// The number of USER objects (windows, menus, icons and cursors, accelerator tables) and GDI
// objects this process holds, for tests that check nothing piles up.

#include <windows.h>

#include <cstdint>

namespace test_support {

struct GuiObjectCount {
    long user = -1;
    long gdi = -1;
    bool operator==(const GuiObjectCount&) const = default;
};

namespace detail {

// One row of the per-process GDI handle table that the process environment block points to
// (GdiSharedHandleTable); a row whose type byte is 0 is free.
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

// The process environment block's address, from NtQueryInformationProcess.
inline const BYTE* ProcessEnvironmentBlock() {
    struct BasicInformation {
        LONG exitStatus;
        const BYTE* pebBaseAddress;
        ULONG_PTR affinityMask;
        LONG basePriority;
        ULONG_PTR uniqueProcessId;
        ULONG_PTR inheritedFromUniqueProcessId;
    };
    using QueryFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation information{};
    constexpr ULONG kProcessBasicInformation = 0;
    if (query == nullptr || query(GetCurrentProcess(), kProcessBasicInformation, &information,
                                  sizeof information, nullptr) != 0) {
        return nullptr;
    }
    return information.pebBaseAddress;
}

// The rows of the GDI handle table in use. Wine keeps one table per process and leaves the
// owner field empty, so every row in use is this process's (stock objects included).
inline long GdiObjectsInHandleTable() {
    // GdiSharedHandleTable's place in the process environment block of each architecture; the
    // table's rows have the same layout in both.
    constexpr std::size_t kPebGdiSharedHandleTable = sizeof(void*) == 8 ? 0xF8 : 0x94;
    constexpr std::size_t kGdiHandleSlots = 0x10000;
    const BYTE* peb = ProcessEnvironmentBlock();
    if (peb == nullptr) {
        return -1;
    }
    const auto* table =
        *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiSharedHandleTable);
    if (table == nullptr) {
        return -1;
    }
    long used = 0;
    for (std::size_t slot = 0; slot < kGdiHandleSlots; ++slot) {
        used += table[slot].type != 0 ? 1 : 0;
    }
    return used;
}

// Wine numbers USER handles 0x20, 0x22, ... 0xFFEE in their low word and accepts a handle
// whose high word is 0 for any generation, so every USER object of this process is found by
// asking each slot what it is. Menus, icons and accelerator tables answer only in the process
// that owns them; a window answers everywhere, so its owner is checked.
inline long UserObjectsByProbing() {
    using CursorFrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    const auto frameInfo = reinterpret_cast<CursorFrameInfo>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    if (frameInfo == nullptr) {
        return -1;
    }
    constexpr std::uintptr_t kFirstUserHandle = 0x20;
    constexpr std::uintptr_t kLastUserHandle = 0xFFEF;
    long owned = 0;
    for (std::uintptr_t value = kFirstUserHandle; value <= kLastUserHandle; value += 2) {
        const HANDLE handle = reinterpret_cast<HANDLE>(value);
        if (IsWindow(static_cast<HWND>(handle))) {
            DWORD process = 0;
            GetWindowThreadProcessId(static_cast<HWND>(handle), &process);
            owned += process == GetCurrentProcessId() ? 1 : 0;
            continue;
        }
        DWORD rate = 0;
        DWORD steps = 0;
        if (IsMenu(static_cast<HMENU>(handle)) ||
            frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps) != nullptr ||
            CopyAcceleratorTableA(static_cast<HACCEL>(handle), nullptr, 0) > 0) {
            ++owned;
        }
    }
    return owned;
}

} // namespace detail

// GetGuiResources where it works. Wine 8's is a stub that reports 0 (a GUI process always
// holds some objects), so there the objects are counted as above; this takes about a second.
inline GuiObjectCount GuiObjects() {
    GuiObjectCount count;
    count.user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    count.gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (count.user == 0 && count.gdi == 0) {
        count.user = detail::UserObjectsByProbing();
        count.gdi = detail::GdiObjectsInHandleTable();
    }
    return count;
}

} // namespace test_support
