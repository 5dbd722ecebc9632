#pragma once

// Resource and command identifiers shared by the resource script and the code.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 137
#define IDD_ASSIGN 148
#define IDR_POPUP_MENU 140
#define IDR_BUTTON_MENU 155
#define IDI_APP 133

#define ID_APP_EXIT_COMMAND 32771
#define ID_OPEN_COMMAND 32772
#define ID_ABOUT_COMMAND 32774
#define ID_EXPORT_COMMAND 32776
#define ID_IMPORT_COMMAND 32777

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
