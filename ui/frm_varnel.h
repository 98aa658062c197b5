#pragma once

// frmVarnel, the main window.

#include <windows.h>

#include <string>

// Control identifiers. The launch and exit buttons carry IDOK and IDCANCEL, the identifiers
// that Enter and Esc send.
enum FrmVarnelControlId : int {
    IDC_FRA_PROFILE = 100,
    IDC_LBL_ALIAS,
    IDC_TXT_EMAIL_ALIAS,
    IDC_LBL_LOCATION,
    IDC_CBO_MARKET,
    IDC_LBL_SERVER,
    IDC_TXT_SERVER,
    IDC_FRA_ADV_OPTIONS,
    IDC_OPT_ADVANCED_0, // ..IDC_OPT_ADVANCED_0 + 5
    IDC_CMD_LOGON = IDOK,
    IDC_CMD_CANCEL = IDCANCEL,
};

inline constexpr const char* kFrmVarnelClassName = "VarnelMainWindow";

// Creates the main window from the catalogue and runs its load; the window stays hidden until
// the caller shows it. Returns nullptr if the window cannot be created.
HWND CreateFrmVarnel();

// What the launch reads from and sets on the main window.
std::string FrmVarnel_ServerText(HWND window);
// Caption of option button `index` (0..5) and whether it is selected.
std::string FrmVarnel_OptionCaption(HWND window, int index);
bool FrmVarnel_OptionSelected(HWND window, int index);
void FrmVarnel_SetHourglass(HWND window, bool hourglass);
