#pragma once

// Helpers for tests that run under Wine: scratch folders, files, paths and message pumping.

#include <windows.h>

#include <string>

#include <memory>

// Owners of what only the tests make: a window, destroyed if it is still there, and a loaded
// library.
struct WindowDestroyer {
    void operator()(HWND window) const noexcept {
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};
using UniqueWindow = std::unique_ptr<HWND__, WindowDestroyer>;

struct LibraryFreer {
    void operator()(HMODULE module) const noexcept {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
};
using UniqueLibrary = std::unique_ptr<HINSTANCE__, LibraryFreer>;

namespace test_support {

// A new empty folder under the temporary folder; removed with its files by the destructor.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Text in the ANSI code page as UTF-16, and back.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// True under Wine rather than Windows.
bool UnderWine();

// A folder of the build or source tree (from the environment ctest gives), as a Windows path.
std::string BuildPath(const std::string& relative);
std::string SourcePath(const std::string& relative);

// What the About box shows for the program's version (CMakeLists.txt's): "Version " and its
// major, minor and revision numbers.
std::string ShownVersion();

// Uses up every quit request that a test caused (Exit, a closed window) as the program's own
// message loop does, so that what runs next finds none.
void EndQuitRequest();

// Handles messages until `milliseconds` have passed, sleeping while none arrive.
void PumpFor(DWORD milliseconds);

// Handles messages until `done` returns true or `milliseconds` pass; returns done().
template <typename Predicate> bool PumpUntil(Predicate done, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() >= end) {
            return done();
        }
        PumpFor(10);
    }
    return true;
}

} // namespace test_support
