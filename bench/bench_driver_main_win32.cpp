// bench_driver.exe: the measuring half of scripts/bench. It starts the programs under
// measurement as a user would, watches them from outside and writes what it measured as JSON.
//
//   bench_driver startup WORK RUNS VARNEL_EXE BARE_EXE INI_FILE JSON_OUT
//       Start-up: from just before CreateProcessA to the moment the program's top-level window
//       is seen visible (a 1 ms sleeping poll, see the window watch), varnel.exe and the bare
//       window taking turns, after one unmeasured start of each.
//   bench_driver wait WORK RUNS LABEL VARNEL_EXE DELAY_MS CLOCK_TICKS SERVER_PID JSON_OUT
//       The wait for Outlook: full launches against the stand-ins, Outlook's window DELAY_MS
//       after Outlook starts. Per launch: the CPU time varnel.exe used while it watched for
//       Outlook, and the time from the stand-in's `window` line to the CDO `Logoff` line.
//       CLOCK_TICKS is Linux's clock ticks per second (getconf CLK_TCK), SERVER_PID the Linux
//       process id of the prefix's wineserver (0: not sampled).
//
// Paths are Windows paths. Exit code 0 when every run worked, 1 otherwise, 2 for bad arguments.
#include "bench/bench_stats.h"
#include "common/cdo_settings.h"
#include "common/files.h"
#include "common/journal.h"
#include "common/journal_reader.h"
#include "launcher/outlook.h"
#include "platform/process_runner.h"
#include "platform/win32_raii.h"
#include "ui/frm_varnel.h"

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------- clocks

double NowMs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

// ----------------------------------------------------------------------------------- files

using sandbox::ReadWholeFile;
using sandbox::WriteWholeFile;

// --------------------------------------------------------------------------------- journal

using sandbox::JournalLine;

std::optional<JournalLine> FindEvent(const std::string& journal, const std::string& event) {
    return sandbox::FindJournalEvent(sandbox::ReadJournal(journal), event);
}

struct ChangeNotificationCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            FindCloseChangeNotification(handle);
        }
    }
};
using UniqueChangeNotification = std::unique_ptr<void, ChangeNotificationCloser>;

// Reads the journal again whenever a file in its folder changed, until the event is in it. The
// driver stays idle in between, so that the wineserver's CPU time during a launch is mostly the
// launch's own. Each wait also ends after a second, in case a notification is missed.
std::optional<JournalLine> WaitForEvent(const std::string& journal, const std::string& event,
                                        DWORD timeoutMs) {
    const std::string folder = journal.substr(0, journal.find_last_of('\\'));
    const UniqueChangeNotification change(FindFirstChangeNotificationA(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
    const bool notified = change.get() != nullptr && change.get() != INVALID_HANDLE_VALUE;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (auto line = FindEvent(journal, event)) {
            return line;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return std::nullopt;
        }
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 1000));
        if (notified && WaitForSingleObject(change.get(), wait) == WAIT_OBJECT_0) {
            FindNextChangeNotification(change.get());
        } else if (!notified) {
            Sleep(std::min<DWORD>(wait, 20));
        }
    }
}

// ---------------------------------------------------------------------------- window watch

// Wine (8.0) raises no EVENT_OBJECT_SHOW, so a WinEvent hook cannot report the moment a window
// becomes visible: the watch looks every millisecond instead, sleeping in between. That adds
// at most about a millisecond (plus the scheduler's wake-up) to each start-up, for both
// programs alike.
constexpr DWORD kWatchEveryMs = 1;

// Asks Windows for its 1 ms timer while the watch runs (Wine always has it).
class FineTimer {
  public:
    FineTimer() : active_(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~FineTimer() {
        if (active_) {
            timeEndPeriod(1);
        }
    }
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

  private:
    bool active_;
};

// A visible top-level window of the class that belongs to the process, or nullptr.
HWND VisibleWindowOf(DWORD processId, const char* className) {
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

struct Shown {
    HWND window = nullptr;
    double shownMs = 0; // NowMs() when it was first seen visible
};

// Looks for the window every kWatchEveryMs until it is visible, the process ended or the time
// is up.
std::optional<Shown> WaitForShownWindow(HANDLE process, DWORD processId, const char* className,
                                        DWORD timeoutMs) {
    const FineTimer timer;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = VisibleWindowOf(processId, className)) {
            return Shown{window, NowMs()};
        }
        if (GetTickCount64() >= deadline ||
            WaitForSingleObject(process, kWatchEveryMs) == WAIT_OBJECT_0) {
            return std::nullopt;
        }
    }
}

// ------------------------------------------------------------------------------- processes

struct Started {
    UniqueHandle process;
    DWORD id = 0;
    double startMs = 0; // NowMs() right before CreateProcessA
};

std::optional<Started> Start(const std::string& exe, const std::string& folder) {
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    Started started;
    started.startMs = NowMs();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &created)) {
        return std::nullopt;
    }
    const UniqueHandle thread(created.hThread);
    started.process.reset(created.hProcess);
    started.id = created.dwProcessId;
    return started;
}

// Asks the window to close and waits for its process; kills it when it does not end.
// Returns the exit code, or nothing when it had to be killed.
std::optional<DWORD> CloseAndWait(HWND window, HANDLE process, DWORD timeoutMs) {
    if (window != nullptr) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        return std::nullopt;
    }
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    return code;
}

// -------------------------------------------------------------------------------- CPU time

// Wine 8's GetProcessTimes does not give another process's CPU time reliably (0.000 s for a
// process that had spun for seconds), so the driver reads Linux's own accounting instead.

// Linux's accounting of a process (utime + stime of /proc/<pid>/stat, all its threads), in its
// clock ticks, read through Wine's Z: drive; nothing if unavailable. Differences are taken in
// ticks, which are whole numbers, so that a second's hundredth stays exact.
std::optional<double> LinuxCpuTicks(unsigned long linuxPid) {
    if (linuxPid == 0) {
        return std::nullopt;
    }
    const std::string stat = ReadWholeFile("Z:\\proc\\" + std::to_string(linuxPid) + "\\stat");
    // The command name is in parentheses and may hold blanks: count fields after the last ')'.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> fields; // fields[0] is field 3 (state)
    std::size_t from = close + 2;
    while (from < stat.size()) {
        std::size_t end = stat.find(' ', from);
        if (end == std::string::npos) {
            end = stat.size();
        }
        fields.push_back(stat.substr(from, end - from));
        from = end + 1;
    }
    if (fields.size() < 13) {
        return std::nullopt;
    }
    const double utime = std::strtod(fields[11].c_str(), nullptr); // field 14
    const double stime = std::strtod(fields[12].c_str(), nullptr); // field 15
    return utime + stime;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The Linux process that Wine runs `exeName` in from a folder whose name is `folderName`
// (Wine shows a program's path as its Linux command line); 0 when there is none.
unsigned long FindLinuxPid(const std::string& exeName, const std::string& folderName) {
    struct SearchCloser {
        void operator()(HANDLE handle) const noexcept { FindClose(handle); }
    };
    WIN32_FIND_DATAA found;
    const HANDLE first = FindFirstFileA("Z:\\proc\\*", &found);
    if (first == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const std::unique_ptr<void, SearchCloser> search(first);
    unsigned long match = 0;
    do {
        const std::string name = found.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string command = ReadWholeFile("Z:\\proc\\" + name + "\\cmdline");
        for (char& c : command) {
            c = c == '\0' ? ' ' : c == '\\' ? '/' : c;
        }
        command = Lower(command);
        if (command.find(Lower(exeName)) != std::string::npos &&
            command.find("/" + Lower(folderName) + "/") != std::string::npos) {
            match = std::strtoul(name.c_str(), nullptr, 10);
            break;
        }
    } while (FindNextFileA(search.get(), &found));
    return match;
}

// ------------------------------------------------------------------------------------ JSON

std::string Number(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string NumberList(const std::vector<double>& values, int decimals) {
    std::string list = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        list += (i == 0 ? "" : ", ") + Number(values[i], decimals);
    }
    return list + "]";
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

void Say(const std::string& text) {
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// ---------------------------------------------------------------------------------- startup

struct Target {
    std::string name;
    std::string exe;
    std::string folder;
    std::string className;
};

std::optional<double> MeasureStartup(const Target& target) {
    auto started = Start(target.exe, target.folder);
    if (!started) {
        Say("  " + target.name + ": CreateProcessA failed, error " +
            std::to_string(GetLastError()));
        return std::nullopt;
    }
    const auto shown =
        WaitForShownWindow(started->process.get(), started->id, target.className.c_str(), 30000);
    // Let it finish starting before it is asked to close, so the close is handled normally.
    WaitForInputIdle(started->process.get(), 5000);
    const auto code = CloseAndWait(shown ? shown->window : nullptr, started->process.get(), 10000);
    if (!shown) {
        Say("  " + target.name + ": no visible window of class " + target.className);
        return std::nullopt;
    }
    if (!code || *code != 0) {
        Say("  " + target.name + ": did not close normally");
        return std::nullopt;
    }
    // Wine finishes tearing the process down in the background; keep that out of the next run.
    Sleep(250);
    return shown->shownMs - started->startMs;
}

// The start-up goal: varnel.exe's median at most this many times the bare window's.
constexpr double kGoalStartupRatio = 1.25;

int RunStartup(const std::string& work, int runs, const std::string& varnelExe,
               const std::string& bareExe, const std::string& iniFile, const std::string& jsonOut) {
    // Both programs run from folders of their own; varnel.exe with the sample varnel.ini.
    const Target varnel{"varnel", work + "\\startup-varnel\\varnel.exe", work + "\\startup-varnel",
                        kFrmVarnelClassName};
    const Target bare{"bare", work + "\\startup-bare\\bare_window.exe", work + "\\startup-bare",
                      "VarnelBenchBareWindow"};
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(varnel.folder.c_str(), nullptr);
    CreateDirectoryA(bare.folder.c_str(), nullptr);
    if (!CopyFileA(varnelExe.c_str(), varnel.exe.c_str(), FALSE) ||
        !CopyFileA(bareExe.c_str(), bare.exe.c_str(), FALSE) ||
        !CopyFileA(iniFile.c_str(), (varnel.folder + "\\varnel.ini").c_str(), FALSE)) {
        Say("startup: cannot copy the programs into " + work);
        return 1;
    }
    std::vector<double> varnelMs, bareMs;
    bool ok = MeasureStartup(varnel).has_value() && MeasureStartup(bare).has_value(); // warm-up
    for (int run = 0; ok && run < runs; ++run) {
        // Alternate which goes first, so neither always follows the other's teardown.
        const bool varnelFirst = run % 2 == 0;
        const auto first = MeasureStartup(varnelFirst ? varnel : bare);
        const auto second = MeasureStartup(varnelFirst ? bare : varnel);
        if (!first || !second) {
            ok = false;
            break;
        }
        varnelMs.push_back(varnelFirst ? *first : *second);
        bareMs.push_back(varnelFirst ? *second : *first);
        Say("  start-up run " + std::to_string(run + 1) + ": varnel " + Number(varnelMs.back(), 1) +
            " ms, bare " + Number(bareMs.back(), 1) + " ms");
    }
    if (!ok) {
        return 1;
    }
    const double varnelMedian = bench::Median(varnelMs);
    const double bareMedian = bench::Median(bareMs);
    const double ratio = varnelMedian / bareMedian;
    const std::string json =
        "{\"method\": \"1 ms sleeping poll for the visible top-level window\", \"runs\": " +
        std::to_string(runs) + ", \"varnel_ms\": " + NumberList(varnelMs, 1) +
        ", \"bare_ms\": " + NumberList(bareMs, 1) +
        ", \"varnel_median_ms\": " + Number(varnelMedian, 1) +
        ", \"bare_median_ms\": " + Number(bareMedian, 1) + ", \"ratio\": " + Number(ratio, 3) +
        ", \"goal_ratio\": " + Number(kGoalStartupRatio, 2) +
        ", \"goal_met\": " + (ratio <= kGoalStartupRatio ? "true" : "false") + "}\n";
    return WriteWholeFile(jsonOut, json) ? 0 : 1;
}

// ------------------------------------------------------------------------------------ wait

// The polling phase begins 30 s after Outlook was started; the stand-in's `start` line comes
// a little after that moment. CPU time is sampled from this much before the line's 30 s on, so
// that no part of the polling phase is missed (the pause before it costs next to nothing).
constexpr std::uint64_t kSampleLeadMs = 500;

// The wait's goals: varnel.exe's CPU time per launch (median) and the time from Outlook's window
// to the Logoff (95th percentile).
constexpr double kGoalCpuSeconds = 0.01;
constexpr double kGoalLatencyP95Ms = 30;

struct WaitRun {
    double cpuTicks = 0;                 // Linux's accounting of varnel.exe's process
    double cpuSeconds = 0;               // the same in seconds
    std::optional<double> serverSeconds; // the wineserver, which answers e.g. FindWindowA
    double sampledSeconds = 0;           // wall time between the two samples
    double latencyMs = 0;                // `window` line to `Logoff` line
};

class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_, nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
};

struct CpuSample {
    std::optional<double> linuxTicks;
    std::optional<double> serverTicks;
    double wallMs = 0;
};

CpuSample SampleCpu(unsigned long linuxPid, unsigned long serverPid) {
    CpuSample sample;
    sample.wallMs = NowMs();
    sample.linuxTicks = LinuxCpuTicks(linuxPid);
    sample.serverTicks = LinuxCpuTicks(serverPid);
    return sample;
}

std::optional<double> Delta(const std::optional<double>& from, const std::optional<double>& to) {
    if (!from || !to) {
        return std::nullopt;
    }
    return *to - *from;
}

// Ends whatever Outlook stand-in window is left, so the next launch does not find it.
void CloseOutlook() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        HWND window = FindWindowA(kOutlookWindowClass, nullptr);
        if (window == nullptr) {
            return;
        }
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        const UniqueHandle process(OpenProcess(
            SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
        if (process) {
            CloseAndWait(window, process.get(), 10000);
        } else {
            PostMessageA(window, WM_CLOSE, 0, 0);
            Sleep(1000);
        }
    }
}

std::optional<WaitRun> MeasureWait(const std::string& folder, const std::string& varnelExe,
                                   unsigned long delayMs, double clockTicks,
                                   unsigned long serverPid) {
    const std::string folderName = folder.substr(folder.find_last_of('\\') + 1);
    const std::string exe = folder + "\\varnel.exe";
    const std::string cdoJournal = folder + "\\cdo.journal";
    const std::string outlookJournal = folder + "\\outlook.journal";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA(cdoJournal.c_str());
    DeleteFileA(outlookJournal.c_str());
    char user[256] = {};
    DWORD userSize = sizeof user;
    GetUserNameA(user, &userSize);
    if (!CopyFileA(varnelExe.c_str(), exe.c_str(), FALSE) ||
        !WriteWholeFile(folder + "\\varnel.ini", "[Locations]\r\nLondon=LONMX01\r\n") ||
        !sandbox::WriteCdoSettings(
            folder + "\\cdo.ini",
            {.journal = cdoJournal, .mailboxes = "LONMX01=jdoe," + std::string(user)})) {
        Say("  cannot prepare " + folder);
        return std::nullopt;
    }
    if (FindWindowA(kOutlookWindowClass, nullptr) != nullptr) {
        Say("  an Outlook window is open before the launch");
        return std::nullopt;
    }
    const ScopedEnvironment cdoConfig(sandbox::kCdoSettingsVariable, folder + "\\cdo.ini");
    const ScopedEnvironment mode("VARNEL_OUTLOOK_MODE", "window");
    const ScopedEnvironment delay("VARNEL_OUTLOOK_DELAY_MS", std::to_string(delayMs));
    const ScopedEnvironment journal("VARNEL_OUTLOOK_JOURNAL", outlookJournal);
    const ScopedEnvironment userName("USERNAME", "jdoe");

    auto started = Start(exe, folder);
    if (!started) {
        Say("  CreateProcessA failed");
        return std::nullopt;
    }
    HANDLE process = started->process.get();
    const auto shown = WaitForShownWindow(process, started->id, kFrmVarnelClassName, 30000);
    HWND main = shown ? shown->window : nullptr;
    const auto fail = [&](const std::string& why) -> std::optional<WaitRun> {
        Say("  " + why);
        CloseAndWait(main, process, 15000);
        CloseOutlook();
        return std::nullopt;
    };
    if (!shown) {
        return fail("varnel.exe showed no main window");
    }
    WaitForInputIdle(process, 10000);
    const unsigned long linuxPid = FindLinuxPid("varnel.exe", folderName);
    PostMessageA(GetDlgItem(main, IDC_CMD_LOGON), BM_CLICK, 0, 0);

    const auto outlookStart = WaitForEvent(outlookJournal, "start", 30000);
    if (!outlookStart) {
        return fail("Outlook was not started");
    }
    const std::uint64_t sampleAt =
        outlookStart->ticks + (kRunAndWaitPauseMs - kSampleLeadMs) * 10000ULL;
    const std::uint64_t now = sandbox::JournalTicks();
    if (now < sampleAt) {
        Sleep(static_cast<DWORD>((sampleAt - now) / 10000));
    }
    const CpuSample before = SampleCpu(linuxPid, serverPid);
    const auto logoff = WaitForEvent(cdoJournal, "Logoff", delayMs + 30000);
    const CpuSample after = SampleCpu(linuxPid, serverPid);
    if (!logoff) {
        return fail("no Logoff in the CDO journal");
    }
    const auto window = FindEvent(outlookJournal, "window");
    if (!window) {
        return fail("no window line in the Outlook journal");
    }
    if (!FindEvent(cdoJournal, "Logon")) {
        return fail("no Logon in the CDO journal");
    }
    WaitForEvent(cdoJournal, "release", 10000);
    const auto code = CloseAndWait(main, process, 15000);
    CloseOutlook();
    if (!code || *code != 0) {
        Say("  varnel.exe did not close normally");
        return std::nullopt;
    }
    WaitRun run;
    const auto linuxCpu = Delta(before.linuxTicks, after.linuxTicks);
    if (!linuxCpu) {
        Say("  no CPU time for varnel.exe (Linux process " + std::to_string(linuxPid) + ")");
        return std::nullopt;
    }
    run.cpuTicks = *linuxCpu;
    run.cpuSeconds = *linuxCpu / clockTicks;
    if (const auto server = Delta(before.serverTicks, after.serverTicks)) {
        run.serverSeconds = *server / clockTicks;
    }
    run.sampledSeconds = (after.wallMs - before.wallMs) / 1000;
    run.latencyMs =
        static_cast<double>(static_cast<std::int64_t>(logoff->ticks - window->ticks)) / 10000.0;
    return run;
}

int RunWait(const std::string& work, int runs, const std::string& label,
            const std::string& varnelExe, unsigned long delayMs, double clockTicks,
            unsigned long serverPid, const std::string& jsonOut) {
    CreateDirectoryA(work.c_str(), nullptr);
    CloseOutlook();
    std::vector<double> cpu, cpuTicks, serverCpu, sampled, latency;
    for (int i = 0; i < runs; ++i) {
        const auto run = MeasureWait(work + "\\wait-" + label + "-" + std::to_string(i + 1),
                                     varnelExe, delayMs, clockTicks, serverPid);
        if (!run) {
            Say("  " + label + " launch " + std::to_string(i + 1) + " failed");
            return 1;
        }
        cpu.push_back(run->cpuSeconds);
        cpuTicks.push_back(run->cpuTicks);
        sampled.push_back(run->sampledSeconds);
        latency.push_back(run->latencyMs);
        if (run->serverSeconds) {
            serverCpu.push_back(*run->serverSeconds);
        }
        Say("  " + label + " launch " + std::to_string(i + 1) + ": CPU " +
            Number(run->cpuSeconds, 3) + " s over " + Number(run->sampledSeconds, 1) +
            " s (wineserver " + (run->serverSeconds ? Number(*run->serverSeconds, 3) : "n/a") +
            " s), window to Logoff " + Number(run->latencyMs, 1) + " ms");
    }
    const double cpuMax = bench::NearestRankPercentile(cpu, 100);
    const double cpuMedian = bench::Median(cpu);
    const double latencyP95 = bench::NearestRankPercentile(latency, 95);
    std::string json =
        "{\"label\": " + Quoted(label) + ", \"runs\": " + std::to_string(runs) +
        ", \"outlook_delay_ms\": " + std::to_string(delayMs) +
        ", \"cpu_seconds\": " + NumberList(cpu, 3) +
        ", \"cpu_seconds_source\": \"utime+stime of varnel.exe's Linux process, "
        "sampled 0.5 s before the polling phase and at the Logoff line\"" +
        ", \"cpu_seconds_median\": " + Number(cpuMedian, 3) +
        ", \"cpu_seconds_max\": " + Number(cpuMax, 3) +
        ", \"sampled_seconds\": " + NumberList(sampled, 2) +
        ", \"wineserver_cpu_seconds\": " + NumberList(serverCpu, 3) +
        ", \"wineserver_cpu_seconds_median\": " + Number(bench::Median(serverCpu), 3) +
        ", \"latency_ms\": " + NumberList(latency, 1) +
        ", \"latency_median_ms\": " + Number(bench::Median(latency), 1) +
        ", \"latency_p95_ms\": " + Number(latencyP95, 1) +
        ", \"goal_cpu_seconds_median\": " + Number(kGoalCpuSeconds, 2) + ", \"cpu_goal_met\": " +
        (bench::Median(cpuTicks) <= std::round(kGoalCpuSeconds * clockTicks) ? "true" : "false") +
        ", \"goal_latency_p95_ms\": " + Number(kGoalLatencyP95Ms, 0) +
        ", \"latency_goal_met\": " + (latencyP95 <= kGoalLatencyP95Ms ? "true" : "false") + "}\n";
    return WriteWholeFile(jsonOut, json) ? 0 : 1;
}

int Usage() {
    Say("usage: bench_driver startup WORK RUNS VARNEL_EXE BARE_EXE INI_FILE JSON_OUT\n"
        "       bench_driver wait WORK RUNS LABEL VARNEL_EXE DELAY_MS CLOCK_TICKS SERVER_PID "
        "JSON_OUT");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 7 && args[0] == "startup") {
        const int runs = std::atoi(args[2].c_str());
        return runs > 0 ? RunStartup(args[1], runs, args[3], args[4], args[5], args[6]) : Usage();
    }
    if (args.size() == 9 && args[0] == "wait") {
        const int runs = std::atoi(args[2].c_str());
        const unsigned long delayMs = std::strtoul(args[5].c_str(), nullptr, 10);
        const double clockTicks = std::strtod(args[6].c_str(), nullptr);
        const unsigned long serverPid = std::strtoul(args[7].c_str(), nullptr, 10);
        if (runs <= 0 || delayMs == 0 || clockTicks <= 0) {
            return Usage();
        }
        return RunWait(args[1], runs, args[3], args[4], delayMs, clockTicks, serverPid, args[8]);
    }
    return Usage();
}
