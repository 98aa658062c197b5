#pragma once

// Identifiers shared by varnel.rc and the code.
#define IDI_VARNEL 1
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101

#define IDM_FILE_EXIT 1001
#define IDM_VIEW_ADVANCED_OPTIONS 1002
#define IDM_HELP_ABOUT 1003

// The application title, shared by the main window, the message boxes and the About box.
#define VARNEL_TITLE "Varnel"
#define VARNEL_DESCRIPTION                                                                         \
    "Varnel is used to dynamically create Microsoft Outlook profiles. It is perfect for the "      \
    "roaming user."
#define VARNEL_COPYRIGHT "Copyright (C) 2026 The Varnel Authors (example.org)"
