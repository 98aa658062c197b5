#pragma once

// frmAbout, the About box: the program's icon, title, version, description and copyright
// notice, and two contact links.

#include "platform/file_version.h" // the box reads the program's version with it

#include <windows.h>

// Control identifiers. cmdOK carries IDOK, which Enter sends; Esc sends IDCANCEL, which the
// About box answers the same way.
enum FrmAboutControlId : int {
    IDC_CMD_OK = IDOK,
    IDC_PIC_ICON = 200,
    IDC_LBL_TITLE,
    IDC_LBL_VERSION,
    IDC_LBL_DESCRIPTION,
    IDC_LBL_CONTACT_EMAIL,
    IDC_LBL_CONTACT_WWW,
    IDC_LBL_DISCLAIMER,
};

inline constexpr const char* kFrmAboutClassName = "VarnelAboutBox";

// Shows a freshly loaded About box over the main window, modally, as the system's dialog box:
// the main window takes no input until the box is closed, and the call returns then. A quit
// request that arrives meanwhile closes the box and is passed on to the caller's loop.
void ShowFrmAboutModal(HWND frmVarnel);

// The same box, loaded but modeless and hidden, for looking at; the main window owns it.
// Returns nullptr if the window cannot be created.
HWND CreateFrmAbout(HWND frmVarnel);
