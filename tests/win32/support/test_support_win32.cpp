#include "support/test_support.h"

#include "common/files.h"
#include "platform/message_pump.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace test_support {

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
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
    RemoveTree(path_);
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

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string BuildPath(const std::string& relative) {
    return WindowsPathFromEnvironment("VARNEL_BUILD_DIR", relative);
}

std::string SourcePath(const std::string& relative) {
    return WindowsPathFromEnvironment("VARNEL_SOURCE_DIR", relative);
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
