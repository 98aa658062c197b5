#pragma once

// Drives the stand-in Outlook (bin/sandbox/OUTLOOK.EXE of the build) for tests of the code
// that starts and watches Outlook: its settings, its journal and ending what is left of it.

#include "common/journal_reader.h"
#include "platform/win32_raii.h"
#include "support/test_support.h"

#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace outlook_standin {

inline std::string ProgramPath() {
    return test_support::BuildPath("bin/sandbox/OUTLOOK.EXE");
}

// User plus kernel time used by this process so far, in milliseconds.
inline double ProcessCpuMilliseconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// Ends every stand-in Outlook in the prefix, whoever started it (the program under test starts
// them too), and waits until each is gone; its windows go with it.
inline void EndStandIns() {
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "OUTLOOK.EXE") != 0) {
            continue;
        }
        const UniqueHandle process(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }
}

// Ends the stand-ins after `milliseconds` from another thread unless destroyed before: a
// test whose wait never ends fails instead of hanging.
class Watchdog {
  public:
    explicit Watchdog(DWORD milliseconds)
        : cancel_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_([this, milliseconds] {
              if (WaitForSingleObject(cancel_.get(), milliseconds) == WAIT_TIMEOUT) {
                  EndStandIns();
              }
          }) {}
    ~Watchdog() {
        SetEvent(cancel_.get());
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    UniqueHandle cancel_;
    std::thread thread_;
};

// The stand-in's settings for the processes this one starts (inherited environment), with a
// journal of its own; on destruction any stand-in still running is ended.
class Session {
  public:
    explicit Session(const char* mode, unsigned delayMs = 0, unsigned exitCode = 0)
        : journal_(folder_.File("outlook.journal")) {
        SetEnvironmentVariableA("VARNEL_OUTLOOK_MODE", mode);
        SetEnvironmentVariableA("VARNEL_OUTLOOK_DELAY_MS", std::to_string(delayMs).c_str());
        SetEnvironmentVariableA("VARNEL_OUTLOOK_EXIT_CODE", std::to_string(exitCode).c_str());
        SetEnvironmentVariableA("VARNEL_OUTLOOK_JOURNAL", journal_.c_str());
    }
    ~Session() {
        EndStandIns();
        for (const char* name : {"VARNEL_OUTLOOK_MODE", "VARNEL_OUTLOOK_DELAY_MS",
                                 "VARNEL_OUTLOOK_EXIT_CODE", "VARNEL_OUTLOOK_JOURNAL"}) {
            SetEnvironmentVariableA(name, nullptr);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::string CommandLine() const { return "\"" + ProgramPath() + "\" /profile Test Profile"; }

    std::vector<sandbox::JournalLine> Journal() const { return sandbox::ReadJournal(journal_); }

    // The first line of `event`, waiting up to `milliseconds` for the stand-in to write it.
    std::optional<sandbox::JournalLine> WaitForEvent(const std::string& event,
                                                     DWORD milliseconds) const {
        std::optional<sandbox::JournalLine> found;
        test_support::PumpUntil(
            [&] { return (found = sandbox::FindJournalEvent(Journal(), event)).has_value(); },
            milliseconds);
        return found;
    }

  private:
    test_support::ScratchFolder folder_;
    std::string journal_;
};

} // namespace outlook_standin
