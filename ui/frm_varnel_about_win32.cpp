#include "ui/frm_varnel_events.h"

#include "platform/system_dlls.h"
#include "ui/frm_about.h"

// Help > About... and F1: the About box, modally; returns when it has been closed.
void mnuHAbout_Click(HWND frmVarnel) {
    PreloadSystemDlls(SystemDllGroup::FirstLaunchOrAbout);
    ShowFrmAboutModal(frmVarnel);
}
