#pragma once

// Owners for the Windows handles the program opens; each closes its handle exactly once.

#include <windows.h>

#include <memory>

struct KernelHandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;

struct RegKeyCloser {
    void operator()(HKEY key) const noexcept {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
};
using UniqueRegKey = std::unique_ptr<HKEY__, RegKeyCloser>;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const noexcept {
        if (object != nullptr) {
            DeleteObject(object);
        }
    }
};
using UniqueFont = std::unique_ptr<HFONT__, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<HBRUSH__, GdiObjectDeleter>;
using UniqueRegion = std::unique_ptr<HRGN__, GdiObjectDeleter>;

struct WinEventUnhooker {
    void operator()(HWINEVENTHOOK hook) const noexcept {
        if (hook != nullptr) {
            UnhookWinEvent(hook);
        }
    }
};
using UniqueWinEventHook = std::unique_ptr<HWINEVENTHOOK__, WinEventUnhooker>;
