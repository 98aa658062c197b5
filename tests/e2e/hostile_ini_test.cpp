// The real varnel.exe started on hostile varnel.ini files: it comes up within a second of its
// process being created, and its location list holds what the profile service gives within
// the program's limits (complete names of the first 5000 characters of the name list, in file
// order, servers cut to 127 characters), then "[Other]".
//
// The list is read from outside with CB_GETCOUNT, CB_GETLBTEXTLEN and CB_GETLBTEXT, sent
// through the Unicode entry point: Wine 8 carries the entry text across processes as UTF-16
// only (see ListedTexts). Each entry is then selected as the user would select it (the
// selection and CBN_SELCHANGE), and its text and server are read back with WM_GETTEXT from the
// list and the server box, which crosses processes in ANSI as it should.
#include "common/journal.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using test_support::UnderWine;
using varnel_process::Varnel;

constexpr DWORD kNameListSize = 5000;
constexpr DWORD kValueSize = 128;
constexpr double kStartLimitMs = 1000.0;

struct Location {
    std::string name;
    std::string server;
    bool operator==(const Location&) const = default;
};

void PrintTo(const Location& location, std::ostream* out) {
    *out << '"' << location.name << "\" = \"" << location.server << '"';
}

// What the list must hold, asked of the profile service in this process: the names of the
// section's 5000-character name list that end with their null (a name cut by the list's end
// has none), each with its value read into 128 characters.
std::vector<Location> ExpectedLocations(const std::string& file) {
    std::string list(kNameListSize, '\0');
    const DWORD length = GetPrivateProfileStringA("Locations", nullptr, "", list.data(),
                                                  kNameListSize, file.c_str());
    list.resize(length);
    std::vector<Location> expected;
    for (std::size_t start = 0, end; (end = list.find('\0', start)) != std::string::npos;
         start = end + 1) {
        Location location{list.substr(start, end - start), std::string(kValueSize, '\0')};
        const DWORD got =
            GetPrivateProfileStringA("Locations", location.name.c_str(), "", location.server.data(),
                                     kValueSize, file.c_str());
        location.server.resize(got);
        expected.push_back(location);
    }
    return expected;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool unicode = false) {
    DWORD_PTR result = 0;
    const LRESULT answered =
        unicode
            ? SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)
            : SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    if (answered == 0) {
        ADD_FAILURE() << "message " << message << " to another process was not answered";
        return -1;
    }
    return static_cast<LRESULT>(result);
}

// UTF-16 text in the ANSI code page, as the program holds it.
std::string Ansi(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), size,
                        nullptr, nullptr);
    return ansi;
}

// The list's entries, read with CB_GETCOUNT, CB_GETLBTEXTLEN and CB_GETLBTEXT. Wine 8 carries
// the entry text across processes in its UTF-16 form only: asked through SendMessageA it
// writes UTF-16 into the caller's buffer, twice the bytes that CB_GETLBTEXTLEN promised. So the
// texts are asked for through the Unicode entry point and converted to the ANSI code page.
std::vector<std::string> ListedTexts(HWND combo) {
    std::vector<std::string> texts;
    const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, true);
        if (length < 0) {
            ADD_FAILURE() << "no text length for entry " << index;
            break;
        }
        // Room to spare, should the text come back longer than its length said.
        std::wstring text(2 * static_cast<std::size_t>(length) + 2, L'\0');
        const LRESULT copied = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(text.data()), true);
        text.resize(copied >= 0 ? std::min(static_cast<std::size_t>(copied), text.size()) : 0);
        texts.push_back(Ansi(text));
    }
    return texts;
}

std::string TextOf(HWND window) {
    std::string text(4096, '\0');
    const LRESULT copied =
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied >= 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

// The locations as the running program shows them: each entry selected as a click would (the
// selection, then CBN_SELCHANGE, which fills the server box), its text read back from the
// combo box with WM_GETTEXT (carried across processes in ANSI) and its server from the server
// box. "[Other]", last, is left out.
std::vector<Location> ShownLocations(HWND main, std::size_t count) {
    HWND combo = GetDlgItem(main, IDC_CBO_MARKET);
    std::vector<Location> shown;
    for (std::size_t index = 0; index + 1 < count; ++index) {
        Send(combo, CB_SETCURSEL, index, 0);
        Send(main, WM_COMMAND, MAKEWPARAM(IDC_CBO_MARKET, CBN_SELCHANGE),
             reinterpret_cast<LPARAM>(combo));
        shown.push_back({TextOf(combo), TextOf(GetDlgItem(main, IDC_TXT_SERVER))});
    }
    return shown;
}

double Milliseconds(const FILETIME& from, std::uint64_t to) {
    const std::uint64_t start =
        (static_cast<std::uint64_t>(from.dwHighDateTime) << 32) | from.dwLowDateTime;
    return static_cast<double>(static_cast<std::int64_t>(to - start)) / 10000.0;
}

// Starts varnel.exe on `ini` and checks the start time and the whole list; returns the
// locations shown (without "[Other]") for the case's own facts.
std::vector<Location> StartAndCheck(const std::string& ini) {
    // Dated back as a file written earlier would be: Wine parses a profile file that is less
    // than 2.1 s old again on every call, 455 times for the 10,000-entry file.
    Varnel varnel(ini, true);
    EXPECT_NE(varnel.Id(), 0u) << "varnel.exe starts";
    if (varnel.Id() == 0) {
        return {};
    }
    HWND main = nullptr;
    test_support::PumpUntil(
        [&] {
            main = varnel_process::WindowOf(varnel.Id(), kFrmVarnelClassName);
            return main != nullptr && IsWindowVisible(main);
        },
        15000);
    const std::uint64_t visibleAt = sandbox::JournalTicks();
    EXPECT_TRUE(main != nullptr && IsWindowVisible(main)) << "the main window comes up";
    if (main == nullptr) {
        return {};
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    EXPECT_TRUE(GetProcessTimes(varnel.Process(), &created, &exited, &kernel, &user));
    const double startMs = Milliseconds(created, visibleAt);
    EXPECT_GT(startMs, 0.0);
    EXPECT_LT(startMs, kStartLimitMs) << "from process creation to the visible main window";
    ::testing::Test::RecordProperty("start_ms", std::to_string(static_cast<int>(startMs)));

    const std::string iniPath = varnel.Folder() + "\\varnel.ini";
    const std::vector<Location> expected = ExpectedLocations(iniPath);
    const std::vector<std::string> texts = ListedTexts(GetDlgItem(main, IDC_CBO_MARKET));
    EXPECT_FALSE(texts.empty());
    if (texts.empty()) {
        return {};
    }
    EXPECT_EQ(texts.back(), "[Other]") << "\"[Other]\" comes last";
    const std::vector<Location> shown = ShownLocations(main, texts.size());
    EXPECT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size() && i < expected.size(); ++i) {
        EXPECT_EQ(shown[i], expected[i]) << "entry " << i;
        EXPECT_EQ(texts[i], shown[i].name)
            << "entry " << i << ": the list's text and the selection's";
        EXPECT_LE(shown[i].server.size(), kValueSize - 1) << "entry " << i;
    }

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnel.WaitForExit(10000)) << "varnel.exe ends when its window is closed";
    EXPECT_EQ(varnel.ExitCode(), 0u);
    return shown;
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string text;
    for (const std::string& line : lines) {
        text += line + end;
    }
    return text;
}

const std::vector<Location> kFourCities = {{"London Head Office", "LONMX01"},
                                           {"Paris", "PARMX02"},
                                           {"New York", "NYCMX01"},
                                           {"Singapore", "SINMX01"}};

std::string FourCitiesSection() {
    std::string text = "[Locations]\r\n";
    for (const Location& city : kFourCities) {
        text += city.name + "=" + city.server + "\r\n";
    }
    return text;
}

TEST(HostileIni, OneMegabyteFile) {
    // Half a megabyte of other sections before the locations and the rest after them.
    std::string ini = "; one megabyte\r\n";
    for (int i = 0; ini.size() < 512 * 1024; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "[Padding%05d]\r\nkey%05d=%s\r\n", i, i,
                      std::string(80, 'p').c_str());
        ini += line;
    }
    ini += FourCitiesSection();
    for (int i = 0; ini.size() < 1024 * 1024 - 200; ++i) {
        ini += "; " + std::string(96, 'c') + "\r\n";
    }
    ini += "[Tail]\r\nlast=" + std::string(1024 * 1024 - ini.size() - 15, 't') + "\r\n";
    ASSERT_EQ(ini.size(), 1024u * 1024u);
    EXPECT_EQ(StartAndCheck(ini), kFourCities);
}

TEST(HostileIni, TenThousandEntries) {
    std::vector<std::string> lines = {"[Locations]"};
    for (int i = 1; i <= 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Site %05d=SRV%05d", i, i);
        lines.push_back(line);
    }
    const std::vector<Location> shown = StartAndCheck(Lines(lines));
    // Names of 10 characters take 11 each: 454 fit into 5000 (4994), the 455th is cut.
    ASSERT_EQ(shown.size(), 454u);
    EXPECT_EQ(shown.front(), (Location{"Site 00001", "SRV00001"}));
    EXPECT_EQ(shown.back(), (Location{"Site 00454", "SRV00454"}));
}

TEST(HostileIni, NameListFarBeyond5000Characters) {
    // 300 names of 100 characters (30,300 with their separators), servers of 200 characters.
    std::vector<std::string> lines = {"[Locations]"};
    std::vector<Location> written;
    for (int i = 0; i < 300; ++i) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "Location %03d ", i);
        Location entry{prefix + std::string(100 - std::strlen(prefix), 'n'),
                       "S" + std::to_string(i) + "-" + std::string(200, 's')};
        entry.server.resize(200);
        lines.push_back(entry.name + "=" + entry.server);
        written.push_back(entry);
    }
    const std::vector<Location> shown = StartAndCheck(Lines(lines));
    // 49 names take 4949 characters; the 50th would end at 5050.
    ASSERT_EQ(shown.size(), 49u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].name, written[i].name);
        EXPECT_EQ(shown[i].server, written[i].server.substr(0, 127)) << "cut to 127";
    }
}

TEST(HostileIni, NameListEndingExactlyAtTheBuffersEnd) {
    // 50 names of 99 characters fill the 5000 characters with their separators, which leaves
    // no room for the list's final null: the service cuts the 50th name.
    std::vector<std::string> lines = {"[Locations]"};
    for (int i = 0; i < 50; ++i) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "Edge %02d ", i);
        lines.push_back(prefix + std::string(99 - std::strlen(prefix), 'e') + "=E" +
                        std::to_string(i));
    }
    const std::vector<Location> shown = StartAndCheck(Lines(lines));
    ASSERT_EQ(shown.size(), 49u);
    EXPECT_EQ(shown.back().server, "E48");
}

TEST(HostileIni, BinaryGarbageAndNulBytes) {
    std::string ini = "[Locations]\r\nBefore=SRVB\r\n";
    std::uint32_t state = 0x9E3779B9u;
    for (int i = 0; i < 64 * 1024; ++i) {
        state = state * 1664525u + 1013904223u;
        ini += static_cast<char>(state >> 24);
    }
    ini += "\r\nAfter=SRVA\r\n";
    ASSERT_NE(ini.find('\0'), std::string::npos);
    const std::vector<Location> shown = StartAndCheck(ini);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), (Location{"Before", "SRVB"})) << "the entry before the garbage";
}

TEST(HostileIni, NoFinalLineEnd) {
    EXPECT_EQ(StartAndCheck("[Locations]\r\nLondon=LONMX01\r\nParis=PARMX02"),
              (std::vector<Location>{{"London", "LONMX01"}, {"Paris", "PARMX02"}}));
}

TEST(HostileIni, CarriageReturnsOnly) {
    const std::vector<Location> shown =
        StartAndCheck("[Locations]\rLondon=LONMX01\rParis=PARMX02\r");
    if (UnderWine()) {
        // Wine's profile reader ends a line at a carriage return as well as at a line feed.
        EXPECT_EQ(shown, (std::vector<Location>{{"London", "LONMX01"}, {"Paris", "PARMX02"}}));
    }
}

TEST(HostileIni, Utf8ByteOrderMark) {
    const std::vector<Location> shown =
        StartAndCheck("\xEF\xBB\xBF[Locations]\r\nZ\xC3\xBCrich=ZRHMX01\r\nK\xC3\xB8"
                      "benhavn=CPHMX01\r\n");
    if (UnderWine() && GetACP() == 1252) {
        // Wine reads such a file as UTF-8; the program sees its text in the ANSI code page.
        EXPECT_EQ(shown, (std::vector<Location>{{"Z\xFCrich", "ZRHMX01"},
                                                {"K\xF8"
                                                 "benhavn",
                                                 "CPHMX01"}}));
    }
}

TEST(HostileIni, HundredThousandCharacterLines) {
    // A value of 100,000 characters is cut to 127; a name of 100,000 characters is cut by the
    // name list, and so is dropped with every name after it.
    const std::string ini = "[Locations]\r\nBefore=SRVB\r\nLong=" + std::string(100000, 'v') +
                            "\r\n" + std::string(100000, 'N') + "=SRVN\r\nAfter=SRVA\r\n";
    EXPECT_EQ(StartAndCheck(ini),
              (std::vector<Location>{{"Before", "SRVB"}, {"Long", std::string(127, 'v')}}));
}

// A roaming user's own folders carry the user's name, in whatever letters: a copy in a folder
// named outside the ANSI code page still finds the varnel.ini beside it.
TEST(IniBesideTheProgram, IsFoundInAFolderNamedOutsideTheAnsiCodePage) {
    const std::wstring greek = L"\u0394\u03bf\u03ba\u03b9\u03bc\u03ae";
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, greek.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (!lossy) {
        GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds these letters";
    }
    Varnel varnel(FourCitiesSection(), false, greek);
    HWND main = varnel.MainWindow();
    ASSERT_NE(main, nullptr);
    std::vector<std::string> expected;
    for (const Location& city : kFourCities) {
        expected.push_back(city.name);
    }
    expected.push_back("[Other]");
    EXPECT_EQ(ListedTexts(GetDlgItem(main, IDC_CBO_MARKET)), expected);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnel.WaitForExit(10000));
}

} // namespace
