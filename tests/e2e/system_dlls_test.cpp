// The real varnel.exe loads the DLLs that Windows' own DLLs load by name from the system folder:
// the first paint's at start-up, the rest by the time the About box is open.
#include "platform/system_dlls.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_about.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

using test_support::PumpUntil;
using varnel_process::FocusOf;
using varnel_process::Press;
using varnel_process::WindowOf;

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return Lower(folder);
}

// The process's modules: file name to full path, both lower case.
std::map<std::string, std::string> ModulesOf(HANDLE process) {
    std::vector<HMODULE> modules(512);
    DWORD needed = 0;
    EnumProcessModules(process, modules.data(),
                       static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed);
    modules.resize(std::min<std::size_t>(needed / sizeof(HMODULE), modules.size()));
    std::map<std::string, std::string> paths;
    for (HMODULE module : modules) {
        char path[MAX_PATH] = {};
        if (GetModuleFileNameExA(process, module, path, MAX_PATH) > 0) {
            const std::string full = Lower(path);
            paths[full.substr(full.rfind('\\') + 1)] = full;
        }
    }
    return paths;
}

// Each DLL of `group` that the system has is loaded in the process from the system folder.
void ExpectLoaded(const std::map<std::string, std::string>& modules, SystemDllGroup group,
                  const char* when) {
    for (const PreloadedDll& dll : kPreloadedDlls) {
        const std::string path = SystemFolder() + "\\" + dll.name;
        if (dll.group != group || !test_support::FileExists(path)) {
            continue;
        }
        const auto found = modules.find(dll.name);
        EXPECT_TRUE(found != modules.end() && found->second == path) << dll.name << " " << when;
    }
}

TEST(SystemDllsEndToEnd, FirstPaintsDllsAtStartUpTheRestByTheAboutBox) {
    varnel_process::Varnel varnel("");
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    const auto atStart = ModulesOf(varnel.Process());
    ASSERT_FALSE(atStart.empty()) << "the modules of varnel.exe cannot be read";
    ExpectLoaded(atStart, SystemDllGroup::FirstPaint, "at start-up");
    for (const PreloadedDll& dll : kPreloadedDlls) {
        if (dll.group == SystemDllGroup::FirstLaunchOrAbout && atStart.count(dll.name) != 0) {
            std::cout << "[ note ] " << dll.name << " is loaded at start-up already\n";
        }
    }

    Press(FocusOf(main), VK_F1);
    ASSERT_TRUE(PumpUntil(
        [&] {
            HWND about = WindowOf(varnel.Id(), kFrmAboutClassName);
            return about != nullptr && IsWindowVisible(about);
        },
        10000));
    ExpectLoaded(ModulesOf(varnel.Process()), SystemDllGroup::FirstLaunchOrAbout,
                 "with the About box open");
}

} // namespace
