#include "ui/frm_about.h"

#include "ui/frm_about_layout.h"

#include <cstring>
#include <vector>

namespace {

struct Translation {
    WORD language;
    WORD codePage;
};

// US English in Unicode: what the program's own resource declares, tried when a file lists
// no translation.
constexpr Translation kUsEnglishUnicode{0x0409, 1200};

std::string StringValue(const std::vector<char>& block, const std::vector<Translation>& order,
                        const char* name) {
    for (const Translation& translation : order) {
        const std::string path =
            VersionStringPath(translation.language, translation.codePage, name);
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block.data(), path.c_str(), &value, &length) && value != nullptr &&
            length > 0) {
            const char* text = static_cast<const char*>(value);
            return std::string(text, strnlen(text, length));
        }
    }
    return {};
}

} // namespace

VersionResource ReadVersionResource(const std::string& modulePath) {
    VersionResource result;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(modulePath.c_str(), &ignored);
    if (size == 0) {
        return result;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(modulePath.c_str(), 0, size, block.data())) {
        return result;
    }

    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", &value, &length) && value != nullptr &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        if (fixed->dwSignature == VS_FFI_SIGNATURE) {
            result.found = true;
            result.fileVersionMS = fixed->dwFileVersionMS;
            result.fileVersionLS = fixed->dwFileVersionLS;
        }
    }

    std::vector<Translation> order;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) &&
        value != nullptr) {
        const auto* listed = static_cast<const Translation*>(value);
        order.assign(listed, listed + length / sizeof(Translation));
    }
    order.push_back(kUsEnglishUnicode);
    result.comments = StringValue(block, order, "Comments");
    result.legalCopyright = StringValue(block, order, "LegalCopyright");
    return result;
}

std::string OwnModulePath() {
    // A path longer than MAX_PATH is read with a growing buffer.
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
