#pragma once

// Stand-ins for what the launch sequence is written against (the CDO session, the main window,
// the rest of the program), for the tests that drive it: each appends every call to one shared
// log, so that the order across the window, the session and the services is visible in one
// place; the trace is kept apart.

#include "launcher/launch_sequence.h"

#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

// How a faked call ends. A session call that fails throws either way: Fail as a failure the
// call reports (a COM failure code), Throw as an error nobody expected.
enum class Outcome { Succeed, Fail, Throw };

// What each session call does. (Exists() of the window is a question without effect and is not
// logged.)
struct SessionScript {
    Outcome logon = Outcome::Succeed;
    Outcome address = Outcome::Succeed;
    std::string addressText = "/o=Org/ou=Site/cn=Recipients/cn=jdoe";
    Outcome name = Outcome::Succeed;
    std::string nameText = "MAPI00001";
    Outcome logoff = Outcome::Succeed;
};

class FakeSession : public CdoSession {
  public:
    FakeSession(Log& log, const SessionScript& script) : log_(log), script_(script) {}
    ~FakeSession() override { log_.push_back("session.release"); }

    void Logon(const std::string& profileInfo) override {
        log_.push_back("session.Logon " + profileInfo);
        Answer(script_.logon, "Logon");
    }
    std::string CurrentUserAddress() override {
        log_.push_back("session.CurrentUserAddress");
        Answer(script_.address, "Address");
        return script_.addressText;
    }
    std::string Name() override {
        log_.push_back("session.Name");
        Answer(script_.name, "Name");
        return script_.nameText;
    }
    void Logoff() override {
        log_.push_back("session.Logoff");
        Answer(script_.logoff, "Logoff");
    }

  private:
    static void Answer(Outcome outcome, const std::string& call) {
        if (outcome == Outcome::Fail) {
            throw std::runtime_error(call + " refused");
        }
        if (outcome == Outcome::Throw) {
            throw std::bad_alloc();
        }
    }

    Log& log_;
    SessionScript script_;
};

class FakeWindow : public LaunchWindow {
  public:
    explicit FakeWindow(Log& log) : log_(log) {}

    bool exists = true;
    Outcome serverRead = Outcome::Succeed;
    std::string server = "MAIL01";
    Outcome switchRead = Outcome::Succeed;
    std::string startupSwitch;
    bool throwFromChanges = false;

    bool Exists() override { return exists; }
    std::optional<std::string> ServerText() override {
        Record("window.ServerText");
        return Read(serverRead, server);
    }
    std::optional<std::string> StartupSwitch() override {
        Record("window.StartupSwitch");
        return Read(switchRead, startupSwitch);
    }
    void SetHourglass(bool on) override {
        Change(on ? "window.Hourglass on" : "window.Hourglass off");
    }
    void ShowWarning(const std::string& text) override { Change("window.Warning " + text); }
    void DisableLaunchButtons() override { Change("window.DisableLaunchButtons"); }
    void EnableLaunchButtons() override { Change("window.EnableLaunchButtons"); }

  private:
    // A closed window that is still used is a fault of the launch; the log shows it.
    void Record(const std::string& call) { log_.push_back(exists ? call : call + " (closed)"); }
    void Change(const std::string& call) {
        Record(call);
        if (throwFromChanges) {
            throw std::runtime_error("window call failed");
        }
    }
    static std::optional<std::string> Read(Outcome outcome, const std::string& text) {
        if (outcome == Outcome::Throw) {
            throw std::runtime_error("window read failed");
        }
        if (outcome == Outcome::Fail) {
            return std::nullopt;
        }
        return text;
    }

    Log& log_;
};

class FakeServices : public LaunchServices {
  public:
    explicit FakeServices(Log& log) : log_(log) {}

    Outcome running = Outcome::Fail; // Fail: no Outlook window
    Outcome create = Outcome::Succeed;
    SessionScript session;
    Outcome locate = Outcome::Succeed;
    std::string outlookPath = "C:\\Office\\OUTLOOK.EXE";
    Outcome run = Outcome::Succeed;
    std::function<void()> duringLocate; // what happens while Outlook is looked for
    std::function<void()> duringRun;    // what happens while the runner waits

    std::unique_ptr<CdoSession> CreateSession() override {
        log_.push_back("services.CreateSession");
        if (create == Outcome::Throw) {
            throw std::runtime_error("create failed");
        }
        if (create == Outcome::Fail) {
            return nullptr;
        }
        return std::make_unique<FakeSession>(log_, session);
    }
    bool IsOutlookRunning() override {
        log_.push_back("services.IsOutlookRunning");
        if (running == Outcome::Throw) {
            throw std::runtime_error("probe failed");
        }
        return running == Outcome::Succeed;
    }
    std::string GetOutlookPath() override {
        log_.push_back("services.GetOutlookPath");
        if (duringLocate) {
            duringLocate();
        }
        if (locate == Outcome::Throw) {
            throw std::runtime_error("locator failed");
        }
        return outlookPath;
    }
    bool RunAndWait(const std::string& commandLine) override {
        log_.push_back("services.RunAndWait " + commandLine);
        if (duringRun) {
            duringRun();
        }
        if (run == Outcome::Throw) {
            throw std::runtime_error("runner failed");
        }
        return run == Outcome::Succeed;
    }
    void Trace(const std::string& line) noexcept override { traced.push_back(line); }

    Log traced; // the launch's trace, apart from the calls

  private:
    Log& log_;
};
