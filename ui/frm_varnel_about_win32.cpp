#include "ui/frm_varnel_events.h"

// Help > About... and F1; the About box arrives separately.
void mnuHAbout_Click(HWND) {}
