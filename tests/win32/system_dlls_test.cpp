// Windows' DLLs that the program loads itself: from the system folder only, and never from the
// current folder once the search path is hardened. (Which DLLs load when: e2e/system_dlls_test.)
#include "platform/system_dlls.h"
#include "platform/win32_raii.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A DLL of our own, copied under `name` into `folder`: no system has one of that name.
std::string PlantDll(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    EXPECT_TRUE(CopyFileA(test_support::BuildPath("bin/sandbox/cdo_standin.dll").c_str(),
                          path.c_str(), FALSE));
    return path;
}

TEST(SystemDlls, OnlyTheSystemFoldersCopyIsLoaded) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string folder = program;
    folder.resize(folder.rfind('\\'));
    const std::string planted = PlantDll(folder, "varnel_planted.dll");
    {
        // By name, the program's folder is searched first.
        const UniqueLibrary byName(LoadLibraryA("varnel_planted.dll"));
        EXPECT_NE(byName, nullptr);
    }
    EXPECT_EQ(LoadSystemDll("varnel_planted.dll"), nullptr);
    DeleteFileA(planted.c_str());

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    char loaded[MAX_PATH] = {};
    GetModuleFileNameA(LoadSystemDll("kernel32.dll"), loaded, MAX_PATH);
    EXPECT_EQ(Lower(loaded), Lower(std::string(system) + "\\kernel32.dll"));
}

// Last in this program: the hardened search path stays for the process's life.
TEST(SystemDlls, HardenedSearchNoLongerLooksInTheCurrentFolder) {
    test_support::ScratchFolder scratch;
    PlantDll(scratch.path(), "varnel_current.dll");
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path().c_str()));
    {
        const UniqueLibrary found(LoadLibraryA("varnel_current.dll"));
        EXPECT_NE(found, nullptr) << "without hardening the current folder is searched";
    }
    HardenDllSearch();
    const UniqueLibrary found(LoadLibraryA("varnel_current.dll"));
    SetCurrentDirectoryA(before);
    if (found != nullptr && test_support::UnderWine()) {
        GTEST_SKIP() << "Wine's loader reads the empty DLL folder that SetDllDirectoryA(\"\") sets "
                        "as none, and keeps searching the current folder; Windows removes it";
    }
    EXPECT_EQ(found, nullptr);
}

} // namespace
