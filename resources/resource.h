#pragma once

// Resource and command identifiers shared by the resource script and the code.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 137
#define IDD_ASSIGN 148
#define IDR_POPUP_MENU 140
#define IDR_BUTTON_MENU 155
#define IDI_APP 133

#define ID_APP_EXIT_COMMAND 32771
