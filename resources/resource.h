#pragma once

// Resource and command identifiers shared by the resource script and the code.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 137
#define IDD_ASSIGN 148
#define IDR_POPUP_MENU 140
#define IDR_BUTTON_MENU 155
#define IDD_PROGRAMS 160
#define IDI_APP 133

#define ID_APP_EXIT_COMMAND 32771
#define ID_OPEN_COMMAND 32772
#define ID_ABOUT_COMMAND 32774
#define ID_EXPORT_COMMAND 32776
#define ID_IMPORT_COMMAND 32777
#define ID_PROFILE_1_COMMAND 32781
#define ID_PROFILE_2_COMMAND 32782
#define ID_PROFILE_3_COMMAND 32783
#define ID_AUTOSTART_COMMAND 32784
#define ID_PROGRAMS_COMMAND 32785
#define ID_RUN_AS_ADMIN_COMMAND 32786
#define ID_PAUSE_COMMAND 32787
#define ID_OSD_COMMAND 32792
// The key hold time submenu: this id plus the milliseconds.
#define ID_TAP_TIME_BASE 32800

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The key assignment dialog's controls.
#define IDC_ASSIGN_OK 1999
#define IDC_APPLY_UNUSED 1015
#define IDC_ADD_MACRO 1017
#define IDC_DELETE_MACRO 1018
#define IDC_STEP_LIST 1131
#define IDC_RECORD 1020
#define IDC_DELETE_STEP 1021
#define IDC_CLEAR_STEPS 1022
#define IDC_FIRST_STEP 1023
#define IDC_STEP_UP 1024
#define IDC_STEP_DOWN 1025
#define IDC_LAST_STEP 1026
#define IDC_KEY_DELAY 1027
#define IDC_HOLD 1028
#define IDC_TEST 1008
#define IDC_LOOP_LABEL 22222
#define IDC_LOOP_COUNT 1125
#define IDC_MACRO_NAMES 1130
#define IDC_SINGLE_KEY 2028
#define IDC_MACRO_MODE 2029
#define IDC_MEDIA_MODE 2030
#define IDC_FUNCTION_MODE 2031
#define IDC_KEY_FIELD 1127
#define IDC_MEDIA_LIST 1128
#define IDC_FUNCTION_LIST 1129
#define IDC_CLEAR 2032
#define IDC_MASK 1033
#define IDC_TITLE 2033
#define IDC_OSK 2034

// The program bindings dialog's controls, and the ids of its "add" menu.
#define IDC_PROGRAM_LIST 1200
#define IDC_PROGRAM_ADD 1201
#define IDC_PROGRAM_REMOVE 1202
#define IDC_PROGRAM_PROFILE 1203
#define ID_OFFERED_PROGRAM_BASE 33000
#define ID_BROWSE_PROGRAM 33100
// The "Other" mode: its mode button, its three choices, the text, path and arguments fields and
// the browse button.
#define IDC_OTHER_MODE 2035
#define IDC_DISABLED_CHOICE 2036
#define IDC_TEXT_CHOICE 2037
#define IDC_PROGRAM_CHOICE 2038
#define IDC_BROWSE 2039
#define IDC_TEXT_FIELD 1132
#define IDC_PROGRAM_PATH 1133
#define IDC_PROGRAM_ARGS 1134
// The macro editor: the notices beside the record button and under the step list, and the field
// that edits a step's delay over its cell.
#define IDC_RECORD_NOTICE 1135
#define IDC_MACRO_HINT 1136
#define IDC_DELAY_FIELD 1137
// Keys for games: the "Other" mode's Profile and Mouse choices with their lists and the
// all-profiles box; the Turbo box beside Hold, its period field and the notice of a period refused.
#define IDC_PROFILE_CHOICE 2040
#define IDC_MOUSE_CHOICE 2041
#define IDC_ALL_PROFILES 2042
#define IDC_TURBO 2043
#define IDC_PROFILE_LIST 1138
#define IDC_MOUSE_LIST 1139
#define IDC_TURBO_PERIOD 1140
#define IDC_TURBO_HINT 1141

// The about box's version line, filled in from the version resource.
#define IDC_ABOUT_VERSION 1300

// The "Menu" button's language choices, and the texts of the about box and the program bindings
// dialog that the current language fills in as they open.
#define ID_LANGUAGE_RUSSIAN_COMMAND 32790
#define ID_LANGUAGE_ENGLISH_COMMAND 32791
#define IDC_ABOUT_DESCRIPTION 1301
#define IDC_ABOUT_RIGHTS 1302
#define IDC_PROGRAMS_INTRO 1204
#define IDC_PROGRAMS_PROFILE_LABEL 1205
