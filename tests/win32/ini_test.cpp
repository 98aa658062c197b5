// The profile reader and start-up against the system's own profile service.
#include "launcher/bas_varnel.h"
#include "platform/ini.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using test_support::ScratchFolder;
using test_support::Wide;
using test_support::WriteFile;

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& defaultText, std::int16_t bufferSize,
                         const std::string& file) {
    return ::ReadIniValue(SystemProfileService(), section, key, defaultText, bufferSize,
                          Wide(file));
}

std::int16_t ReadIniSection(const std::string& section, const std::string& file,
                            std::vector<LocationEntry>& rows) {
    return ::ReadIniSection(SystemProfileService(), section, Wide(file), rows);
}

TEST(IniOnWindows, ReadsValuesWithTheSystemService) {
    ScratchFolder folder;
    const std::string file = folder.File("varnel.ini");
    WriteFile(file, "[Locations]\r\nLondon=LONMX01\r\nEmpty=\r\n");
    EXPECT_EQ(ReadIniValue("Locations", "London", "d", 128, file), "LONMX01");
    EXPECT_EQ(ReadIniValue("LOCATIONS", "london", "d", 128, file), "LONMX01");
    EXPECT_EQ(ReadIniValue("Locations", "Empty", "d", 128, file), "");
    EXPECT_EQ(ReadIniValue("Locations", "Missing", "the default", 128, file), "the default");
    EXPECT_EQ(ReadIniValue("Locations", "London", "d", 128, folder.File("none.ini")), "d");
}

TEST(IniOnWindows, CutsA130CharacterValueTo127) {
    ScratchFolder folder;
    const std::string file = folder.File("varnel.ini");
    const std::string server(130, 'S');
    WriteFile(file, "[Locations]\r\nFar Away=" + server + "\r\n");
    std::vector<LocationEntry> rows;
    ASSERT_EQ(ReadIniSection("Locations", file, rows), 1);
    EXPECT_EQ(rows[1].Server, server.substr(0, 127));
    EXPECT_EQ(ReadIniValue("Locations", "Far Away", "", 200, file), server);
}

TEST(IniOnWindows, DuplicateNamesInAnotherCaseCarryTheFirstValue) {
    ScratchFolder folder;
    const std::string file = folder.File("varnel.ini");
    WriteFile(file, "[Other]\r\nx=0\r\n[Locations]\r\nx=1\r\ny=2\r\nX=3\r\n");
    std::vector<LocationEntry> rows;
    ASSERT_EQ(ReadIniSection("locations", file, rows), 3);
    EXPECT_EQ(rows[0].Location, "");
    EXPECT_EQ(rows[1].Location, "x");
    EXPECT_EQ(rows[1].Server, "1");
    EXPECT_EQ(rows[2].Server, "2");
    EXPECT_EQ(rows[3].Location, "X");
    EXPECT_EQ(rows[3].Server, "1");
}

TEST(IniOnWindows, AMissingFileOrSectionGivesNoRows) {
    ScratchFolder folder;
    std::vector<LocationEntry> rows;
    EXPECT_EQ(ReadIniSection("Locations", folder.File("missing.ini"), rows), 0);
    EXPECT_TRUE(rows.empty());
    const std::string file = folder.File("varnel.ini");
    WriteFile(file, "[Elsewhere]\r\na=1\r\n[Locations]\r\n");
    EXPECT_EQ(ReadIniSection("Locations", file, rows), 0);
    EXPECT_TRUE(rows.empty());
}

TEST(IniOnWindows, ANameListBeyond5000CharactersLoadsOnlyCompleteNames) {
    ScratchFolder folder;
    const std::string file = folder.File("varnel.ini");
    std::string text = "[Locations]\r\n";
    // 600 names of 9 characters: 6000 characters with their separators.
    for (int i = 0; i < 600; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "site%05d=srv%d\r\n", i, i);
        text += line;
    }
    WriteFile(file, text);
    std::vector<LocationEntry> rows;
    const std::int16_t count = ReadIniSection("Locations", file, rows);
    // Only whole names that fit into the 5000-character list are taken, in file order.
    ASSERT_GE(count, 490);
    ASSERT_LE(count, 499);
    for (std::int16_t i = 1; i <= count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "site%05d", i - 1);
        ASSERT_EQ(rows[static_cast<std::size_t>(i)].Location, name);
        ASSERT_EQ(rows[static_cast<std::size_t>(i)].Server, "srv" + std::to_string(i - 1));
    }
}

TEST(IniOnWindows, TheProgramLooksBesideItselfForVarnelIni) {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring folder(module, length);
    folder.resize(folder.find_last_of(L'\\'));
    EXPECT_EQ(GetIniPath(), folder + L"\\varnel.ini");
}

// Run by the next test from a copy of this program in a drive root: reports what GetIniPath
// gives there.
TEST(IniOnWindows, ReportIniPathForACopy) {
    char reportTo[MAX_PATH];
    if (GetEnvironmentVariableA("VARNEL_TEST_REPORT_TO", reportTo, MAX_PATH) == 0) {
        GTEST_SKIP() << "runs only as the drive-root copy";
    }
    test_support::WriteFile(reportTo, test_support::Narrow(GetIniPath()));
}

TEST(IniOnWindows, AProgramInADriveRootUsesOneBackslash) {
    char module[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
    const std::string copy = "C:\\varnel-root-probe.exe";
    ASSERT_TRUE(CopyFileA(module, copy.c_str(), FALSE));
    ScratchFolder folder;
    const std::string report = folder.File("report.txt");
    SetEnvironmentVariableA("VARNEL_TEST_REPORT_TO", report.c_str());
    std::string command = copy + " --gtest_filter=IniOnWindows.ReportIniPathForACopy";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA("VARNEL_TEST_REPORT_TO", nullptr);
    ASSERT_TRUE(started);
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileA(copy.c_str());
    EXPECT_EQ(test_support::ReadFile(report), "C:\\varnel.ini");
}

TEST(IniOnWindows, LoadLocationsFillsTheCatalogueFromIniPath) {
    ScratchFolder folder;
    WriteFile(folder.File("varnel.ini"), "[Locations]\r\nLondon=LONMX01\r\nParis=PARMX02\r\n");
    IniPath = Wide(folder.File("varnel.ini"));
    Locations.assign(1, LocationEntry{});
    ASSERT_EQ(LoadLocations(), 2);
    EXPECT_EQ(ServerForLocation(0), "LONMX01");
    EXPECT_EQ(ServerForLocation(1), "PARMX02");
    EXPECT_EQ(ServerForLocation(-1), "");
}

} // namespace
