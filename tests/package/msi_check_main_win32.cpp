// msi_check SHORTCUT | PROGRAM: starts the program a Start-menu shortcut points to, the way the
// shell would (its target, in its working folder), or the program file PROGRAM (.exe) in its
// own folder, and reports on standard output, one "key=value" per line, what that Varnel shows:
//   target=, directory=   the program started and its working folder
//   version=              the file version its version resource gives Windows (a.b.c.d)
//   window=               the title of the program's visible main window
//   location=             each entry of the location list, in order
//   exit=                 the exit code once the window was closed
// Exit status 0 when the main window showed and the program ended after WM_CLOSE; 1 when it did
// not; 2 when the shortcut could not be read or its target not started.
#include "platform/com_dispatch.h"
#include "platform/file_version.h"
#include "platform/win32_raii.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_varnel.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Keeps COM initialised on this thread for its lifetime.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

  private:
    HRESULT result_;
};

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

void Report(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
    std::fflush(stdout);
}

struct Shortcut {
    std::wstring target;
    std::wstring directory;
};

bool ReadShortcut(const std::string& path, Shortcut& shortcut) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid()))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) ||
        FAILED(file->Load(Wide(path).c_str(), STGM_READ))) {
        return false;
    }
    wchar_t target[MAX_PATH] = {};
    wchar_t directory[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK ||
        FAILED(link->GetWorkingDirectory(directory, MAX_PATH))) {
        return false;
    }
    shortcut.target = target;
    shortcut.directory = directory;
    return true;
}

// The entries of the location list of another process's main window.
std::vector<std::string> Locations(HWND main) {
    std::vector<std::string> locations;
    HWND list = GetDlgItem(main, IDC_CBO_MARKET);
    DWORD_PTR count = 0;
    if (list == nullptr ||
        !SendMessageTimeoutA(list, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) {
        return locations;
    }
    // The wide messages: Wine hands another process's list text to an ANSI caller unconverted.
    for (DWORD_PTR index = 0; index < count; ++index) {
        wchar_t text[256] = {};
        DWORD_PTR length = 0;
        if (SendMessageTimeoutW(list, CB_GETLBTEXTLEN, index, 0, SMTO_ABORTIFHUNG, 5000, &length) &&
            length < std::size(text)) {
            SendMessageTimeoutW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 5000, nullptr);
        }
        locations.push_back(Narrow(text));
    }
    return locations;
}

// The started program; ended by force at destruction if it is still running.
class Started {
  public:
    Started(const std::wstring& program, const std::wstring& directory) {
        std::wstring command = L"\"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
            process_.reset(started.hProcess);
            UniqueHandle thread(started.hThread);
            id_ = started.dwProcessId;
        }
    }
    ~Started() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    explicit operator bool() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    bool Ended(DWORD milliseconds) const {
        return test_support::PumpUntil(
            [&] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, milliseconds);
    }
    DWORD ExitCode() const {
        DWORD code = 1;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

  private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

bool EndsWithExe(const std::string& path) {
    return path.size() > 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".exe") == 0;
}

// A program file stands for itself, started in its own folder.
Shortcut ProgramItself(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    return {Wide(path), Wide(slash == std::string::npos ? std::string() : path.substr(0, slash))};
}

std::string FileVersion(const std::wstring& path) {
    const FileVersionInfo version = ReadFileVersionInfo(path);
    if (!version.found) {
        return {};
    }
    return std::to_string(HIWORD(version.fileVersionMS)) + "." +
           std::to_string(LOWORD(version.fileVersionMS)) + "." +
           std::to_string(HIWORD(version.fileVersionLS)) + "." +
           std::to_string(LOWORD(version.fileVersionLS));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: msi_check SHORTCUT.lnk | PROGRAM.exe\n");
        return 2;
    }
    ComApartment com;
    Shortcut shortcut;
    if (EndsWithExe(argv[1])) {
        shortcut = ProgramItself(argv[1]);
    } else if (!com.ok() || !ReadShortcut(argv[1], shortcut)) {
        std::fprintf(stderr, "msi_check: cannot read the shortcut %s\n", argv[1]);
        return 2;
    }
    const std::string target = Narrow(shortcut.target.c_str());
    Report("target", target);
    Report("directory", Narrow(shortcut.directory.c_str()));
    Report("version", FileVersion(shortcut.target));

    Started program(shortcut.target, shortcut.directory);
    if (!program) {
        std::fprintf(stderr, "msi_check: cannot start the shortcut's target (error %lu)\n",
                     GetLastError());
        return 2;
    }
    HWND main = nullptr;
    test_support::PumpUntil(
        [&] {
            main = varnel_process::WindowOf(program.Id(), kFrmVarnelClassName);
            return main != nullptr && IsWindowVisible(main);
        },
        15000);
    if (main == nullptr || !IsWindowVisible(main)) {
        std::fprintf(stderr, "msi_check: no visible %s window within 15 s\n", kFrmVarnelClassName);
        return 1;
    }
    Report("window", varnel_process::TextOf(main));
    for (const std::string& location : Locations(main)) {
        Report("location", location);
    }

    PostMessageA(main, WM_CLOSE, 0, 0);
    if (!program.Ended(15000)) {
        std::fprintf(stderr, "msi_check: the program did not end within 15 s of WM_CLOSE\n");
        return 1;
    }
    Report("exit", std::to_string(program.ExitCode()));
    return 0;
}
