#pragma once

// What the launch tests share: the stand-ins' settings for one test (CDO settings file and
// journal, Outlook's mode and journal), the registration of Outlook's open command, and the
// message boxes a launch shows.

#include "launcher/outlook.h"
#include "platform/win32_raii.h"
#include "common/cdo_settings.h"
#include "common/journal_reader.h"
#include "support/outlook_standin.h"
#include "support/test_support.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace launch_fixture {

// The CDO stand-in's settings for sessions this process (and its children) create, and its
// journal.
class CdoSettings {
  public:
    explicit CdoSettings(const std::string& mailboxes = "LONMX01=jdoe,asmith",
                         const std::string& fail = "", const std::string& profileName = "")
        : CdoSettings({.profileName = profileName, .fail = fail, .mailboxes = mailboxes}) {}
    // Any settings; the journal is always this object's own.
    explicit CdoSettings(const sandbox::CdoSettingsFile& settings)
        : journal_(folder_.File("cdo.journal")), file_(folder_.File("cdo.ini")) {
        Set(settings);
        SetEnvironmentVariableA(sandbox::kCdoSettingsVariable, file_.c_str());
    }
    // New settings, same journal: the library reads them again for every session it creates.
    void Set(const std::string& mailboxes, const std::string& fail = "",
             const std::string& profileName = "") const {
        Set({.profileName = profileName, .fail = fail, .mailboxes = mailboxes});
    }
    void Set(sandbox::CdoSettingsFile settings) const {
        settings.journal = journal_;
        if (!sandbox::WriteCdoSettings(file_, settings)) {
            throw std::runtime_error("cannot write " + file_);
        }
    }
    ~CdoSettings() { SetEnvironmentVariableA(sandbox::kCdoSettingsVariable, nullptr); }
    CdoSettings(const CdoSettings&) = delete;
    CdoSettings& operator=(const CdoSettings&) = delete;

    std::vector<std::string> Calls() const { return sandbox::JournalTexts(Lines()); }
    std::vector<sandbox::JournalLine> Lines() const { return sandbox::ReadJournal(journal_); }
    // The first line that is `call`, or `call` followed by its details; ticks 0 when none.
    sandbox::JournalLine First(const std::string& call) const {
        return sandbox::FindJournalEvent(Lines(), call).value_or(sandbox::JournalLine{});
    }
    bool Has(const std::string& call) const {
        return sandbox::FindJournalEvent(Lines(), call).has_value();
    }

  private:
    test_support::ScratchFolder folder_;
    std::string journal_;
    std::string file_;
};

// The default value of a key below HKLM\Software\Classes (which Wine reads as
// HKEY_CLASSES_ROOT), set or removed for one test; what was there is put back afterwards.
class ClassesRegistration {
  public:
    explicit ClassesRegistration(std::string key);
    ~ClassesRegistration();
    ClassesRegistration(const ClassesRegistration&) = delete;
    ClassesRegistration& operator=(const ClassesRegistration&) = delete;

    void Set(const std::string& value);
    void Remove();

  private:
    std::string key_;
    bool had_ = false;
    std::string saved_;
};

// Outlook's open command.
class OutlookRegistration : public ClassesRegistration {
  public:
    OutlookRegistration()
        : ClassesRegistration("Software\\Classes\\outlook\\shell\\open\\command") {}
};

// The class of "MAPI.Session": without it, the CDO library counts as not installed.
class CdoRegistration : public ClassesRegistration {
  public:
    CdoRegistration() : ClassesRegistration("Software\\Classes\\MAPI.Session\\CLSID") {}
};

// A window of Outlook's main-window class in this process: to the program, Outlook is
// running. Hidden, so that it takes nothing from the program's windows.
class OutlookWindow {
  public:
    OutlookWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kOutlookWindowClass;
        registered_ = RegisterClassA(&windowClass) != 0;
        window_ = CreateWindowExA(0, kOutlookWindowClass, "Outlook", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        error_ = window_ == nullptr ? GetLastError() : 0;
    }
    ~OutlookWindow() { DestroyWindow(window_); }
    OutlookWindow(const OutlookWindow&) = delete;
    OutlookWindow& operator=(const OutlookWindow&) = delete;
    HWND get() const { return window_; }
    // Why the window is missing, for a failing test's message.
    std::string Failure() const {
        return "class registered now: " + std::string(registered_ ? "yes" : "no") +
               ", CreateWindowExA error " + std::to_string(error_);
    }

  private:
    HWND window_ = nullptr;
    bool registered_ = false;
    DWORD error_ = 0;
};

// The stand-in Outlook's registered command, as sandbox/prefix writes it.
inline std::string StandInCommand() {
    return "\"" + outlook_standin::ProgramPath() + "\" /select \"%1\"";
}

struct ShownMessage {
    std::string title;
    std::string text;
    bool warningIcon = false;
    bool onlyOk = false;
};

// Answers every message box of this process with OK, recording what it said, while alive.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<ShownMessage>& Shown() const;
};

// Reads a message box of any process: title, text, whether it shows the warning icon and
// only an OK button. Then presses OK.
ShownMessage AnswerMessageBox(HWND box);

// A message box (dialog class "#32770") owned by a thread of process `processId`, or nullptr.
HWND FindMessageBox(DWORD processId);

} // namespace launch_fixture
