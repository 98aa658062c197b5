#include "support/varnel_process.h"

#include "support/window_helpers.h"
#include "ui/frm_varnel.h"

namespace varnel_process {

HWND WindowOf(DWORD processId, const char* className, bool visibleOnly) {
    const std::vector<HWND> found = test_support::ProcessWindows(processId, className, visibleOnly);
    return found.empty() ? nullptr : found.front();
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus != nullptr ? info.hwndFocus : window;
}

void Press(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 1 | (3u << 30));
}

Varnel::Varnel(const std::string& ini, bool agedIni, const std::wstring& subfolder) {
    // Wide paths throughout: the folder may be named outside the ANSI code page.
    std::wstring folder = test_support::Wide(folder_.path());
    if (!subfolder.empty()) {
        folder += L"\\" + subfolder;
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    const std::wstring exe = folder + L"\\varnel.exe";
    CopyFileW(test_support::Wide(test_support::BuildPath("bin/varnel.exe")).c_str(), exe.c_str(),
              FALSE);
    if (!ini.empty()) {
        const UniqueHandle file(CreateFileW((folder + L"\\varnel.ini").c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        DWORD written = 0;
        WriteFile(file.get(), ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
        if (agedIni) {
            FILETIME now{};
            GetSystemTimeAsFileTime(&now);
            ULARGE_INTEGER earlier{};
            earlier.LowPart = now.dwLowDateTime;
            earlier.HighPart = now.dwHighDateTime;
            earlier.QuadPart -= 3600ULL * 10000000ULL;
            const FILETIME dated{earlier.LowPart, earlier.HighPart};
            SetFileTime(file.get(), nullptr, nullptr, &dated);
        }
    }
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &started)) {
        process_.reset(started.hProcess);
        CloseHandle(started.hThread);
        id_ = started.dwProcessId;
    }
}

Varnel::~Varnel() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

HWND Varnel::MainWindow() {
    if (!process_) {
        return nullptr;
    }
    HWND main = nullptr;
    test_support::PumpUntil(
        [&] {
            main = WindowOf(id_, kFrmVarnelClassName);
            return main != nullptr && IsWindowVisible(main);
        },
        15000);
    WaitForInputIdle(process_.get(), 5000);
    return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

bool Varnel::WaitForExit(DWORD milliseconds) {
    return process_ && test_support::PumpUntil(
                           [&] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; },
                           milliseconds);
}

DWORD Varnel::ExitCode() const {
    DWORD code = 1;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

} // namespace varnel_process
