#pragma once

// frmAbout, the About box: the program's icon, title, version, description and copyright
// notice, and two contact links.

#include <windows.h>

#include <cstdint>
#include <string>

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

// What the version resource of a loaded module (an image, or a file loaded as data) says about
// it; the program reads its own, GetModuleHandleA(nullptr).
struct VersionResource {
    bool found = false;
    std::uint32_t fileVersionMS = 0;
    std::uint32_t fileVersionLS = 0;
    std::string comments;
    std::string legalCopyright;
};
VersionResource ReadVersionResource(HMODULE module);
