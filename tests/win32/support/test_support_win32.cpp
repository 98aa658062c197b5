#include "support/test_support.h"

#include "common/files.h"
#include "platform/message_pump.h"
#include "platform/system_text.h"
#include "version.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace test_support {

namespace {

// Wide: a test may make a folder whose name lies outside the ANSI code page.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

std::string WindowsPathFromEnvironment(const char* variable, const std::string& relative) {
    const char* root = std::getenv(variable);
    if (root == nullptr) {
        throw std::runtime_error(std::string(variable) + " is not set");
    }
    std::string path = std::string("Z:") + root + "/" + relative;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

} // namespace

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        path_ = std::string(temp) + "varnel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) {
            break;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(Wide(path_));
}

void WriteFile(const std::string& path, const std::string& bytes) {
    if (!sandbox::WriteWholeFile(path, bytes)) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadFile(const std::string& path) {
    return sandbox::ReadWholeFile(path);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Wide(const std::string& text) {
    return WideFromAnsi(text);
}

std::string Narrow(const std::wstring& text) {
    return AnsiFromWide(text).value_or(std::string());
}

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string ShownVersion() {
    return "Version " + std::to_string(VARNEL_VERSION_MAJOR) + "." +
           std::to_string(VARNEL_VERSION_MINOR) + "." + std::to_string(VARNEL_VERSION_REVISION);
}

std::string BuildPath(const std::string& relative) {
    return WindowsPathFromEnvironment("VARNEL_BUILD_DIR", relative);
}

std::string SourcePath(const std::string& relative) {
    return WindowsPathFromEnvironment("VARNEL_SOURCE_DIR", relative);
}

void EndQuitRequest() {
    // A request already taken, then any still queued (Exit, and the window closed after it).
    MSG quit;
    while (QuitRequested() || PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
        RunMessageLoop();
    }
}

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        PumpPendingMessages();
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

} // namespace test_support
