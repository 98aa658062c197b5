#include "ui/frm_varnel_events.h"

// The launch button; the launch sequence it runs is wired in with the CDO session.
void cmdLogon_Click(HWND) {}
