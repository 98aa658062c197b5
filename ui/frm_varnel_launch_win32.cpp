#include "ui/frm_varnel_events.h"

#include "launcher/bas_varnel.h"
#include "launcher/cdo_session.h"
#include "launcher/launch_sequence.h"
#include "launcher/outlook.h"
#include "platform/process_runner.h"
#include "platform/system_dlls.h"
#include "platform/trace.h"
#include "resources/resource_ids.h"
#include "ui/frm_varnel.h"

#include <cstring>

namespace {

// The main window as the launch sees it. The window may be closed while Outlook starts, so
// every call first checks that it is still there.
class MainWindowForLaunch final : public LaunchWindow {
  public:
    explicit MainWindowForLaunch(HWND window) : window_(window) {}

    bool Exists() override {
        char className[64] = {};
        return IsWindow(window_) && GetClassNameA(window_, className, sizeof className) > 0 &&
               std::strcmp(className, kFrmVarnelClassName) == 0;
    }

    std::optional<std::string> ServerText() override {
        if (!Exists()) {
            return std::nullopt;
        }
        return FrmVarnel_ServerText(window_);
    }

    std::optional<std::string> StartupSwitch() override {
        if (!Exists()) {
            return std::nullopt;
        }
        std::array<StartupOption, kStartupOptionCount> options;
        for (std::size_t index = 0; index < options.size(); ++index) {
            const int i = static_cast<int>(index);
            options[index] = {FrmVarnel_OptionSelected(window_, i),
                              FrmVarnel_OptionCaption(window_, i)};
        }
        return GetStartupSwitch(options);
    }

    void SetHourglass(bool on) override {
        if (Exists()) {
            FrmVarnel_SetHourglass(window_, on);
        }
    }

    void ShowWarning(const std::string& text) override {
        if (Exists()) {
            MessageBoxA(window_, text.c_str(), VARNEL_TITLE, MB_OK | MB_ICONEXCLAMATION);
        }
    }

    void DisableLaunchButtons() override {
        if (!Exists()) {
            return;
        }
        // A disabled button loses the keyboard focus; it comes back to it afterwards.
        HWND focused = GetFocus();
        focusBefore_ = (focused == Button(IDC_CMD_LOGON) || focused == Button(IDC_CMD_CANCEL))
                           ? focused
                           : nullptr;
        EnableWindow(Button(IDC_CMD_LOGON), FALSE);
        EnableWindow(Button(IDC_CMD_CANCEL), FALSE);
    }

    void EnableLaunchButtons() override {
        if (!Exists()) {
            return;
        }
        EnableWindow(Button(IDC_CMD_LOGON), TRUE);
        EnableWindow(Button(IDC_CMD_CANCEL), TRUE);
        if (focusBefore_ != nullptr && GetActiveWindow() == window_ && GetFocus() == nullptr) {
            SetFocus(focusBefore_);
        }
    }

  private:
    HWND Button(int id) const { return GetDlgItem(window_, id); }

    HWND window_;
    HWND focusBefore_ = nullptr;
};

// The rest of the program as the launch uses it: CDO through COM, the registry, the runner.
class SystemLaunchServices final : public LaunchServices {
  public:
    explicit SystemLaunchServices(unsigned long pauseMilliseconds)
        : pauseMilliseconds_(pauseMilliseconds) {}

    std::unique_ptr<CdoSession> CreateSession() override { return CreateCdoSession(); }
    bool IsOutlookRunning() override { return ::IsOutlookRunning(); }
    std::string GetOutlookPath() override { return ::GetOutlookPath(); }
    bool RunAndWait(const std::string& commandLine) override {
        return ::RunAndWait(commandLine, ::IsOutlookRunning, pauseMilliseconds_);
    }
    void Trace(const std::string& line) noexcept override { ::Trace({line}); }

  private:
    unsigned long pauseMilliseconds_;
};

} // namespace

void cmdLogon_Click(HWND frmVarnel, unsigned long pauseMilliseconds) {
    PreloadSystemDlls(SystemDllGroup::FirstLaunchOrAbout);
    MainWindowForLaunch window(frmVarnel);
    SystemLaunchServices services(pauseMilliseconds);
    RunLaunch(window, services, EmailAlias);
}
