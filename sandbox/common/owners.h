#pragma once

// Owners for the few handles the stand-ins open (they use none of the product's code).

#include <windows.h>

#include <memory>

namespace sandbox {

struct FileCloser {
    void operator()(HANDLE file) const noexcept {
        if (file != nullptr && file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
};
using UniqueFile = std::unique_ptr<void, FileCloser>;

struct KeyCloser {
    void operator()(HKEY key) const noexcept {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

} // namespace sandbox
