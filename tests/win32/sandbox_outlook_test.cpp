// The stand-in Outlook (sandbox/outlook, OUTLOOK.EXE) as the launch meets it: registered as
// Outlook's open command, started with CreateProcessA, and, as configured, ending at once with
// a given code, showing Outlook's main window after a delay, or running with no window.

#include "common/journal_reader.h"
#include "platform/win32_raii.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kWindowClass[] = "rctrl_renwnd32";
constexpr DWORD kStartTimeoutMs = 20000;
constexpr const char* kVariables[] = {"VARNEL_OUTLOOK_MODE", "VARNEL_OUTLOOK_DELAY_MS",
                                      "VARNEL_OUTLOOK_EXIT_CODE", "VARNEL_OUTLOOK_JOURNAL"};

std::string StandinPath() {
    return test_support::BuildPath("bin/sandbox/OUTLOOK.EXE");
}

// A started stand-in; ended by force if a test leaves it running.
class Child {
  public:
    explicit Child(std::string commandLine) : commandLine_(std::move(commandLine)) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        std::string writable = commandLine_;
        if (CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &started)) {
            process_.reset(started.hProcess);
            thread_.reset(started.hThread);
            threadId_ = started.dwThreadId;
        }
    }
    ~Child() {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    const std::string& commandLine() const { return commandLine_; }
    DWORD threadId() const { return threadId_; }
    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

    // Waits (handling this thread's messages) for the end; its exit code, or nothing.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = kStartTimeoutMs) const {
        if (!test_support::PumpUntil([this] { return !running(); }, milliseconds)) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

  private:
    std::string commandLine_;
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
};

class OutlookStandin : public ::testing::Test {
  protected:
    OutlookStandin() : journal_(folder_.File("outlook.journal")) {
        ClearVariables();
        SetEnvironmentVariableA("VARNEL_OUTLOOK_JOURNAL", journal_.c_str());
    }
    ~OutlookStandin() override { ClearVariables(); }

    void SetUp() override {
        ASSERT_EQ(nullptr, FindWindowA(kWindowClass, nullptr)) << "an Outlook window is left over";
    }

    static void ClearVariables() {
        for (const char* name : kVariables) {
            SetEnvironmentVariableA(name, nullptr);
        }
    }

    std::vector<sandbox::JournalLine> Journal() const { return sandbox::ReadJournal(journal_); }

    // The first journal line whose text starts with `prefix`, waiting for it if need be.
    std::optional<sandbox::JournalLine> WaitForLine(const std::string& prefix,
                                                    DWORD milliseconds = kStartTimeoutMs) const {
        std::optional<sandbox::JournalLine> found;
        test_support::PumpUntil(
            [&] {
                for (const auto& line : Journal()) {
                    if (line.text.rfind(prefix, 0) == 0) {
                        found = line;
                        return true;
                    }
                }
                return false;
            },
            milliseconds);
        return found;
    }

    test_support::ScratchFolder folder_;
    std::string journal_;
};

TEST_F(OutlookStandin, IsOutlooksOpenCommand) {
    char command[1024] = {};
    DWORD size = sizeof command;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CLASSES_ROOT, "outlook\\shell\\open\\command",
                                          nullptr, RRF_RT_REG_SZ, nullptr, command, &size));
    EXPECT_EQ("\"" + StandinPath() + "\" /select \"%1\"", std::string(command));
}

TEST_F(OutlookStandin, ExitModeEndsAtOnceWithTheConfiguredCode) {
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "exit");
    SetEnvironmentVariableA("VARNEL_OUTLOOK_EXIT_CODE", "259");
    // Quotes, doubled spaces and a switch: the journal keeps the command line byte for byte.
    Child child("\"" + StandinPath() + "\" /cleanreminders  /profile Varnel Temp \"jdoe\" 3");
    ASSERT_TRUE(child.started());
    EXPECT_EQ(259u, child.WaitForExit());

    const auto lines = Journal();
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(lines[0].wellFormed && lines[1].wellFormed);
    EXPECT_EQ("start " + child.commandLine(), lines[0].text);
    EXPECT_EQ("exit 259", lines[1].text);
    EXPECT_LE(lines[0].ticks, lines[1].ticks);
    EXPECT_EQ(nullptr, FindWindowA(kWindowClass, nullptr));
}

TEST_F(OutlookStandin, SeveralProcessesShareOneJournalLineByLine) {
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "exit");
    std::vector<std::unique_ptr<Child>> children;
    for (int i = 0; i < 3; ++i) {
        children.push_back(
            std::make_unique<Child>("\"" + StandinPath() + "\" /profile P" + std::to_string(i)));
        ASSERT_TRUE(children.back()->started());
    }
    for (const auto& child : children) {
        EXPECT_EQ(0u, child->WaitForExit());
    }
    const auto lines = Journal();
    ASSERT_EQ(6u, lines.size());
    int starts = 0;
    for (const auto& line : lines) {
        EXPECT_TRUE(line.wellFormed) << line.text;
        starts += line.text.rfind("start \"", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(3, starts);
}

TEST_F(OutlookStandin, WindowModeShowsOutlooksWindowAfterTheDelayUntilClosed) {
    constexpr DWORD delayMs = 1500;
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "window");
    SetEnvironmentVariableA("VARNEL_OUTLOOK_DELAY_MS", std::to_string(delayMs).c_str());
    // No start-up switch: two spaces before /profile; the profile name is not quoted.
    Child child("\"" + StandinPath() + "\"  /profile Varnel Temp jdoe 7");
    ASSERT_TRUE(child.started());
    const auto start = WaitForLine("start ");
    ASSERT_TRUE(start);
    EXPECT_EQ("start " + child.commandLine(), start->text);
    EXPECT_EQ(nullptr, FindWindowA(kWindowClass, nullptr)) << "shown before its delay";

    // The line is written right before the window is created.
    const auto shown = WaitForLine("window ");
    ASSERT_TRUE(shown);
    EXPECT_EQ("window Varnel Temp jdoe 7", shown->text);
    // The delay is counted from the start line (ticks are 100 ns); timers may round a little.
    EXPECT_GE(shown->ticks - start->ticks, (delayMs - 20) * 10000ull);

    HWND window = nullptr;
    test_support::PumpUntil(
        [&] {
            return (window = FindWindowA(kWindowClass, nullptr)) != nullptr &&
                   IsWindowVisible(window);
        },
        5000);
    ASSERT_NE(nullptr, window);
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Varnel Temp jdoe 7", title);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(nullptr, GetParent(window));
    DWORD owner = 0;
    EXPECT_EQ(child.threadId(), GetWindowThreadProcessId(window, &owner));
    EXPECT_TRUE(child.running());

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, child.WaitForExit());
    EXPECT_EQ(nullptr, FindWindowA(kWindowClass, nullptr));
    const auto lines = Journal();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("exit 0", lines[2].text);
}

TEST_F(OutlookStandin, WindowTitleIsTheTextAfterTheFirstProfileSwitch) {
    struct Case {
        const char* arguments;
        const char* title;
    };
    const Case cases[] = {
        {" /profile A /profile B", "A /profile B"},
        {" /select \"outlook:inbox\"", "Outlook"},
        {" /profile", "Outlook"}, // the switch needs its space after it
    };
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "window");
    for (const Case& c : cases) {
        Child child("\"" + StandinPath() + "\"" + c.arguments);
        ASSERT_TRUE(child.started());
        HWND window = nullptr;
        ASSERT_TRUE(test_support::PumpUntil(
            [&] { return (window = FindWindowA(kWindowClass, nullptr)) != nullptr; },
            kStartTimeoutMs))
            << c.arguments;
        char title[256] = {};
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(c.title, title) << c.arguments;
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, child.WaitForExit());
    }
}

TEST_F(OutlookStandin, StayModeRunsWithoutAWindowUntilItsThreadIsToldToQuit) {
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "stay");
    Child child("\"" + StandinPath() + "\"  /profile Stay Here");
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(WaitForLine("start "));
    test_support::PumpFor(700);
    EXPECT_TRUE(child.running());
    EXPECT_EQ(nullptr, FindWindowA(kWindowClass, nullptr));

    ASSERT_TRUE(PostThreadMessageA(child.threadId(), WM_QUIT, 0, 0));
    EXPECT_EQ(0u, child.WaitForExit());
    const auto lines = Journal();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("exit 0", lines[1].text);
}

// A copy of the program with its own outlook-standin.ini beside it.
TEST_F(OutlookStandin, SettingsFileIsTheFallbackAndTheEnvironmentWins) {
    const std::string copy = folder_.File("OUTLOOK.EXE");
    ASSERT_TRUE(CopyFileA(StandinPath().c_str(), copy.c_str(), FALSE));
    const std::string fileJournal = folder_.File("from-file.journal");
    test_support::WriteFile(
        folder_.File("outlook-standin.ini"),
        "[Outlook]\r\nMode=exit\r\nDelayMs=0\r\nExitCode=7\r\nJournal=" + fileJournal + "\r\n");
    ClearVariables();
    {
        Child child("\"" + copy + "\" /profile From File");
        ASSERT_TRUE(child.started());
        EXPECT_EQ(7u, child.WaitForExit());
    }
    const auto fromFile = sandbox::ReadJournal(fileJournal);
    ASSERT_EQ(2u, fromFile.size());
    EXPECT_EQ("exit 7", fromFile[1].text);

    // A variable beside the file: it wins for its own key, the file gives the rest.
    SetEnvironmentVariableA("VARNEL_OUTLOOK_EXIT_CODE", "9");
    {
        Child child("\"" + copy + "\" /profile From File");
        ASSERT_TRUE(child.started());
        EXPECT_EQ(9u, child.WaitForExit());
    }
    EXPECT_EQ(4u, sandbox::ReadJournal(fileJournal).size());

    // With the mode in the environment the file is not read at all.
    SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", "exit");
    SetEnvironmentVariableA("VARNEL_OUTLOOK_EXIT_CODE", nullptr);
    {
        Child child("\"" + copy + "\" /profile From Environment");
        ASSERT_TRUE(child.started());
        EXPECT_EQ(0u, child.WaitForExit());
    }
    EXPECT_EQ(4u, sandbox::ReadJournal(fileJournal).size());
}

} // namespace
