#include "support/main_window.h"

#include "launcher/bas_varnel.h"
#include "platform/message_pump.h"
#include "support/test_support.h"
#include "support/window_helpers.h"
#include "ui/frm_about.h"
#include "ui/frm_varnel.h"

namespace test_support {

void MainWindowTest::OpenMain(const std::vector<LocationEntry>& rows, const char* userName) {
    Locations.assign(1, LocationEntry{});
    Locations.insert(Locations.end(), rows.begin(), rows.end());
    SetEnvironmentVariableA("USERNAME", userName);
    form = CreateFrmVarnel();
    ASSERT_NE(form, nullptr);
    ShowWindow(form, SW_SHOWNORMAL);
    SetForegroundWindow(form);
    PumpFor(50);
}

void MainWindowTest::CloseMain() {
    for (HWND window : ThreadWindows()) {
        if (ClassOf(window) == kFrmAboutClassName) {
            DestroyWindow(window);
        }
    }
    if (form != nullptr && IsWindow(form)) {
        // A modal run that was cut short leaves its owner disabled.
        EnableWindow(form, TRUE);
        DestroyWindow(form);
    }
    PumpFor(10);
    EndQuitRequest();
}

} // namespace test_support
