#include "ui/frm_about.h"

#include "platform/system_text.h"
#include "platform/version_block.h"

namespace {

constexpr WORD kVersionResourceType = 16; // RT_VERSION
constexpr WORD kVersionResourceId = 1;    // VS_VERSION_INFO

std::string AnsiText(const std::u16string& text) {
    return AnsiFromWide(std::wstring(text.begin(), text.end())).value_or(std::string());
}

} // namespace

VersionResource ReadVersionResource(HMODULE module) {
    VersionResource result;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kVersionResourceId),
                                MAKEINTRESOURCEA(kVersionResourceType));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    // A loaded module's resources stay mapped with it: there is nothing to free.
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return result;
    }
    const VersionBlock block(static_cast<const std::uint8_t*>(data), SizeofResource(module, found));
    if (const std::optional<FileVersion> version = ReadFileVersion(block)) {
        result.found = true;
        result.fileVersionMS = version->ms;
        result.fileVersionLS = version->ls;
    }
    result.comments = AnsiText(ReadVersionString(block, "Comments"));
    result.legalCopyright = AnsiText(ReadVersionString(block, "LegalCopyright"));
    return result;
}
