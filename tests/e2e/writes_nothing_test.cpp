// The real varnel.exe writes nothing: a run with three launches and the About box leaves the
// Wine prefix's registry files (system.reg, user.reg, userdef.reg) with the same keys and
// values, and the program's folder with exactly varnel.exe and varnel.ini, unchanged.
//
// The launches are the three whose outcome needs no 30-second pause: Outlook already running,
// an address the server does not know, and an Outlook that cannot be started. Between them
// they run every part of a launch that could write (the CDO session from creation to release,
// the registry read of Outlook's command, process creation, the message boxes); what a launch
// with Outlook adds is the runner's wait, which only sleeps, pumps messages and looks for a
// window, and is covered by tests/e2e/launch_test.cpp at the cost of its 30 seconds.
//
// Wine writes its registry to these files only every 30 seconds, and only the parts that
// changed. So each snapshot waits for such a save: the test sets a value of its own in each of
// the three hives and reads the files once the saved value shows in all of them. Compared are
// keys, values and the keys' class and link markers; left out are the keys' modification
// times (Wine's own bookkeeping, which a save rewrites), the test's own marker keys and the
// one value that Wine itself rewrites for any program that opens a window (kWineOwnValues).
#include "support/launch_fixture.h"
#include "support/test_support.h"
#include "support/varnel_process.h"
#include "platform/win32_raii.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using launch_fixture::CdoSettings;
using launch_fixture::OutlookRegistration;
using test_support::PumpUntil;
using varnel_process::Varnel;

const std::string kIni = "[Locations]\r\nLondon=LONMX01\r\nParis=PARMX02\r\n";
constexpr DWORD kSaveWaitMs = 45000; // Wine saves every 30 s

// ---- Wine's registry files -------------------------------------------------------------

// One key: its values by name ("@" for the default value) with their data as written, and
// its "#class" and "#link" markers under those names.
using KeyValues = std::map<std::string, std::string>;
using RegistryFile = std::map<std::string, KeyValues>; // key path (unescaped) -> values

// A name as the file writes it, up to the unescaped `close` character, with each backslash
// that escapes the next character taken out (enough to tell names apart and to find the
// test's own); the text after `close` is put in `rest`.
std::string Unescape(const std::string& line, std::size_t from, char close, std::string& rest) {
    std::string text;
    std::size_t i = from;
    for (; i < line.size() && line[i] != close; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            text += line[++i];
        } else {
            text += line[i];
        }
    }
    rest = i < line.size() ? line.substr(i + 1) : std::string();
    return text;
}

// Wine's registry text format (version 2): "[key path] seconds" starts a key, followed by
// "#time=", "#class=" and "#link" lines and one line per value, "name"=data or @=data; hex data
// goes on over lines that end in a backslash.
RegistryFile ParseRegistryFile(const std::string& bytes) {
    RegistryFile keys;
    KeyValues* current = nullptr;
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < bytes.size();) {
        std::size_t end = bytes.find('\n', from);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A continued value: the next line, less its indent, carries on where the backslash is.
        if (!lines.empty() && !lines.back().empty() && lines.back().back() == '\\' &&
            lines.back().find("=hex") != std::string::npos) {
            lines.back().pop_back();
            lines.back() += line.substr(line.find_first_not_of(' ') == std::string::npos
                                            ? line.size()
                                            : line.find_first_not_of(' '));
        } else {
            lines.push_back(line);
        }
        from = end + 1;
    }
    for (const std::string& line : lines) {
        std::string rest;
        if (line.empty() || line.rfind(";;", 0) == 0 || line.rfind("WINE REGISTRY", 0) == 0 ||
            line.rfind("#arch=", 0) == 0 || line.rfind("#time=", 0) == 0) {
            continue;
        }
        if (line[0] == '[') {
            current = &keys[Unescape(line, 1, ']', rest)]; // the seconds after it are a time
        } else if (current == nullptr) {
            continue;
        } else if (line.rfind("#class=", 0) == 0) {
            (*current)["#class"] = line.substr(7);
        } else if (line == "#link") {
            (*current)["#link"] = "";
        } else if (line[0] == '@') {
            (*current)["@"] = line.substr(line.find('=') + 1);
        } else if (line[0] == '"') {
            const std::string name = Unescape(line, 1, '"', rest);
            (*current)["\"" + name + "\""] = rest.empty() ? rest : rest.substr(1);
        }
    }
    return keys;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The prefix's folder as a Windows path (Wine passes WINEPREFIX through); empty if not set.
std::string PrefixFolder() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr || *prefix == '\0') {
        return {};
    }
    std::string path = std::string("Z:") + prefix;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

// The three hives Wine saves, each with the file it goes to and the path under which this
// test keeps its marker there.
struct Hive {
    const char* file;
    HKEY root;
    const char* rootPath; // where the file's key paths start
    const char* markerParent;
};
const Hive kHives[] = {
    {"system.reg", HKEY_LOCAL_MACHINE, "", "Software\\VarnelTest"},
    {"user.reg", HKEY_CURRENT_USER, "", "Software\\VarnelTest"},
    {"userdef.reg", HKEY_USERS, ".Default\\", "Software\\VarnelTest"},
};

// Values that Wine itself rewrites whenever any program opens a window, whoever it is: the
// display driver records the graphics adapter's driver date (the time it set the adapter up)
// under the display adapters' class key. Key paths are relative to the file's root, compared
// without regard to case, and take their subkeys along.
struct WineOwnValue {
    const char* file;
    const char* key;
    const char* value; // as the file names it
};
const WineOwnValue kWineOwnValues[] = {
    {"system.reg",
     "System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}",
     "\"DriverDateData\""},
};

bool IsWineOwn(const std::string& file, const std::string& key, const std::string& value) {
    for (const WineOwnValue& own : kWineOwnValues) {
        const std::string prefix = Lower(own.key);
        const std::string lower = Lower(key);
        if (file == own.file && value == own.value &&
            (lower == prefix || lower.rfind(prefix + "\\", 0) == 0)) {
            return true;
        }
    }
    return false;
}

// The test's marker keys: one in each hive, set before each snapshot so that a save of every
// hive can be recognised, and deleted at the end.
class SaveMarkers {
  public:
    SaveMarkers() : name_("writes-nothing-" + std::to_string(GetCurrentProcessId())) {}
    ~SaveMarkers() {
        for (const Hive& hive : kHives) {
            const std::string parent = std::string(hive.rootPath) + hive.markerParent;
            RegDeleteTreeA(hive.root, (parent + "\\" + name_).c_str());
            RegDeleteKeyA(hive.root, parent.c_str()); // only once no other test uses it
        }
    }
    SaveMarkers(const SaveMarkers&) = delete;
    SaveMarkers& operator=(const SaveMarkers&) = delete;

    // Sets the marker to a new value in every hive; returns false if one cannot be written.
    bool Set(int round) {
        value_ = "round " + std::to_string(round);
        for (const Hive& hive : kHives) {
            HKEY created = nullptr;
            const std::string path = std::string(hive.rootPath) + hive.markerParent + "\\" + name_;
            if (RegCreateKeyExA(hive.root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &created, nullptr) != ERROR_SUCCESS) {
                return false;
            }
            const UniqueRegKey key(created);
            if (RegSetValueExA(key.get(), "saved", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(value_.c_str()),
                               static_cast<DWORD>(value_.size() + 1)) != ERROR_SUCCESS) {
                return false;
            }
        }
        return true;
    }
    // The marker's key as the file names it.
    std::string KeyIn(const Hive& hive) const {
        return std::string(hive.markerParent) + "\\" + name_;
    }
    bool SavedIn(const Hive& hive, const RegistryFile& file) const {
        const auto key = file.find(KeyIn(hive));
        return key != file.end() && key->second.count("\"saved\"") != 0 &&
               key->second.at("\"saved\"") == "\"" + value_ + "\"";
    }

  private:
    std::string name_;
    std::string value_;
};

using Snapshot = std::map<std::string, RegistryFile>; // file name -> its keys

// The three files once Wine has saved the markers' current value to all of them; an empty
// snapshot if that does not happen in time. A file is read again only when its time changed.
Snapshot SnapshotAfterSave(const std::string& prefix, const SaveMarkers& markers) {
    Snapshot snapshot;
    std::map<std::string, ULONGLONG> readAt; // file name -> last-write time when read
    const auto writeTime = [&](const Hive& hive) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA((prefix + "\\" + hive.file).c_str(), GetFileExInfoStandard, &data);
        return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    };
    const auto allSaved = [&] {
        bool saved = true;
        for (const Hive& hive : kHives) {
            const ULONGLONG written = writeTime(hive);
            if (!markers.SavedIn(hive, snapshot[hive.file]) &&
                (readAt.count(hive.file) == 0 || readAt[hive.file] != written)) {
                readAt[hive.file] = written;
                snapshot[hive.file] =
                    ParseRegistryFile(test_support::ReadFile(prefix + "\\" + hive.file));
            }
            saved = saved && markers.SavedIn(hive, snapshot[hive.file]);
        }
        return saved;
    };
    if (!PumpUntil(allSaved, kSaveWaitMs)) {
        return {};
    }
    return snapshot;
}

// Every difference between two snapshots, one line each, leaving out the test's markers and
// the values Wine rewrites on its own.
std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after,
                                     const SaveMarkers& markers) {
    std::vector<std::string> differences;
    for (const Hive& hive : kHives) {
        const RegistryFile& was = before.at(hive.file);
        const RegistryFile& is = after.at(hive.file);
        const std::string marker = Lower(markers.KeyIn(hive));
        auto skipped = [&](const std::string& key) { return Lower(key) == marker; };
        for (const auto& [key, values] : is) {
            if (skipped(key)) {
                continue;
            }
            const auto old = was.find(key);
            if (old == was.end()) {
                differences.push_back(std::string(hive.file) + ": new key [" + key + "]");
                continue;
            }
            for (const auto& [name, data] : values) {
                if (IsWineOwn(hive.file, key, name)) {
                    continue;
                }
                const auto oldValue = old->second.find(name);
                if (oldValue == old->second.end()) {
                    differences.push_back(std::string(hive.file) + ": [" + key + "] new " + name +
                                          "=" + data);
                } else if (oldValue->second != data) {
                    differences.push_back(std::string(hive.file) + ": [" + key + "] " + name +
                                          " was " + oldValue->second + ", is " + data);
                }
            }
            for (const auto& [name, data] : old->second) {
                if (values.count(name) == 0 && !IsWineOwn(hive.file, key, name)) {
                    differences.push_back(std::string(hive.file) + ": [" + key + "] removed " +
                                          name);
                }
            }
        }
        for (const auto& [key, values] : was) {
            if (!skipped(key) && is.count(key) == 0) {
                differences.push_back(std::string(hive.file) + ": removed key [" + key + "]");
            }
        }
    }
    return differences;
}

// ---- the program's folder ----------------------------------------------------------------

struct FolderEntry {
    std::string name;
    bool folder = false;
    std::string bytes;
};

std::vector<FolderEntry> FolderContents(const std::string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    struct FindCloser {
        HANDLE search;
        ~FindCloser() { FindClose(search); }
    } const closer{search};
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(
            {name, isFolder,
             isFolder ? std::string() : test_support::ReadFile(folder + "\\" + name)});
    } while (FindNextFileA(search, &found));
    return entries;
}

// ---- driving the program -----------------------------------------------------------------

// The message box the program shows, answered with OK once it is gone again; empty text if
// none comes.
std::string AnswerMessage(const Varnel& varnel) {
    HWND box = nullptr;
    PumpUntil([&] { return (box = launch_fixture::FindMessageBox(varnel.Id())) != nullptr; },
              15000);
    if (box == nullptr) {
        return {};
    }
    const std::string text = launch_fixture::AnswerMessageBox(box).text;
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 10000)) << "the box closes";
    return text;
}

void Launch(HWND main) {
    PostMessageA(GetDlgItem(main, IDC_CMD_LOGON), BM_CLICK, 0, 0);
}

bool LaunchButtonEnabled(HWND main) {
    return PumpUntil([&] { return IsWindowEnabled(GetDlgItem(main, IDC_CMD_LOGON)) != FALSE; },
                     10000);
}

TEST(WritesNothing, ARunWithLaunchesAndTheAboutBoxChangesNoRegistryValueAndNoFile) {
    const std::string prefix = PrefixFolder();
    if (prefix.empty()) {
        GTEST_SKIP() << "not under Wine: there are no registry files to compare";
    }
    ASSERT_TRUE(test_support::FileExists(prefix + "\\system.reg")) << prefix;

    // Everything the test itself changes is in place before the first snapshot.
    OutlookRegistration registration;
    registration.Set("\"C:\\nowhere\\OUTLOOK.EXE\" /select \"%1\"");
    CdoSettings cdo("LONMX01=someoneelse");
    SetEnvironmentVariableA("USERNAME", "jdoe");
    SaveMarkers markers;

    ASSERT_TRUE(markers.Set(1));
    const Snapshot before = SnapshotAfterSave(prefix, markers);
    ASSERT_FALSE(before.empty()) << "Wine saved the registry within " << kSaveWaitMs << " ms";
    ASSERT_GT(before.at("system.reg").size(), 100u) << "the files were read";

    {
        Varnel varnel(kIni);
        HWND main = varnel.MainWindow();
        ASSERT_NE(main, nullptr);

        // Outlook already running: an Outlook main window of this process.
        WNDCLASSA outlookClass{};
        outlookClass.lpfnWndProc = DefWindowProcA;
        outlookClass.hInstance = GetModuleHandleA(nullptr);
        outlookClass.lpszClassName = "rctrl_renwnd32";
        RegisterClassA(&outlookClass);
        {
            const UniqueWindow outlook(
                CreateWindowExA(0, "rctrl_renwnd32", "Outlook", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
            ASSERT_TRUE(outlook);
            Launch(main);
            EXPECT_EQ(AnswerMessage(varnel), "Microsoft Outlook is currently running.");
        }
        UnregisterClassA("rctrl_renwnd32", GetModuleHandleA(nullptr));
        ASSERT_TRUE(LaunchButtonEnabled(main));

        // An address the server does not know.
        Launch(main);
        EXPECT_EQ(AnswerMessage(varnel),
                  "Unable to Establish MAPI Session. Verify the server setting.");
        ASSERT_TRUE(LaunchButtonEnabled(main));

        // Outlook registered, but its program cannot be started.
        cdo.Set("LONMX01=jdoe");
        Launch(main);
        EXPECT_EQ(AnswerMessage(varnel),
                  "Outlook not found. Verify that Outlook is installed properly.");
        ASSERT_TRUE(LaunchButtonEnabled(main));
        EXPECT_TRUE(PumpUntil(
            [&] {
                const std::vector<std::string> calls = cdo.Calls();
                return std::count(calls.begin(), calls.end(), "release") == 2;
            },
            5000))
            << "both sessions were released: " << ::testing::PrintToString(cdo.Calls());

        // The About box: F1, then Esc.
        varnel_process::Press(varnel_process::FocusOf(main), VK_F1);
        HWND about = nullptr;
        ASSERT_TRUE(PumpUntil(
            [&] {
                about = varnel_process::WindowOf(varnel.Id(), kFrmAboutClassName);
                return about != nullptr && IsWindowVisible(about) &&
                       varnel_process::FocusOf(about) == GetDlgItem(about, IDC_CMD_OK);
            },
            10000))
            << "F1 opens the About box";
        varnel_process::Press(varnel_process::FocusOf(about), VK_ESCAPE);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000));

        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(varnel.WaitForExit(15000));
        EXPECT_EQ(varnel.ExitCode(), 0u);

        // The program's folder: exactly the program and its settings, as they were put there.
        const std::vector<FolderEntry> contents = FolderContents(varnel.Folder());
        std::map<std::string, std::string> files;
        for (const FolderEntry& entry : contents) {
            EXPECT_FALSE(entry.folder) << "a folder appeared: " << entry.name;
            files[Lower(entry.name)] = entry.bytes;
        }
        EXPECT_EQ(files.size(), 2u);
        const std::string program =
            test_support::ReadFile(test_support::BuildPath("bin/varnel.exe"));
        ASSERT_GT(program.size(), 0u);
        EXPECT_TRUE(files.count("varnel.exe") != 0 && files["varnel.exe"] == program)
            << "varnel.exe unchanged";
        EXPECT_TRUE(files.count("varnel.ini") != 0 && files["varnel.ini"] == kIni)
            << "varnel.ini unchanged";
    }

    ASSERT_TRUE(markers.Set(2));
    const Snapshot after = SnapshotAfterSave(prefix, markers);
    ASSERT_FALSE(after.empty()) << "Wine saved the registry within " << kSaveWaitMs << " ms";
    const std::vector<std::string> differences = Differences(before, after, markers);
    EXPECT_TRUE(differences.empty()) << ::testing::PrintToString(differences);
}

} // namespace
