// Resource ids of Lorik.exe. The numbers are fixed: code, the resource script and
// tests all refer to these names. Plain defines only, so both the resource compiler
// and C++ code can include this file.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Strings
#define IDS_ABOUTBOX 101  // system menu item that opens the about dialog

// System menu command of the about dialog
#define IDM_ABOUTBOX 0x0010

// Icons and cursor
#define IDI_ICON_ABOUT 128   // shown in the about dialog
#define IDI_ICON_APP 143     // the main window's large and small icon
#define IDI_ICON_PICKER 164  // image of the picker button
#define IDC_CURSOR_DRAG 139  // pointer while the picker is dragged

// Bitmaps of the main button: normal (grey) and pressed (blue) picture of each set,
// at 100 %, and drawn again for 125, 150 and 200 % (the DPI ends the name)
#define IDB_SINGLE_NORMAL 148      // 12x12, a camera
#define IDB_SINGLE_PRESSED 151     // 12x12
#define IDB_MULTI_PRESSED 157      // 16x16, two cameras
#define IDB_MULTI_NORMAL 159       // 16x16
#define IDB_FOLDER_PRESSED 160     // 12x12, a folder
#define IDB_FOLDER_NORMAL 162      // 12x12
#define IDB_SINGLE_NORMAL_120 170  // 15x15
#define IDB_SINGLE_PRESSED_120 171
#define IDB_MULTI_NORMAL_120 172  // 20x20
#define IDB_MULTI_PRESSED_120 173
#define IDB_FOLDER_NORMAL_120 174  // 15x15
#define IDB_FOLDER_PRESSED_120 175
#define IDB_SINGLE_NORMAL_144 176  // 18x18
#define IDB_SINGLE_PRESSED_144 177
#define IDB_MULTI_NORMAL_144 178  // 24x24
#define IDB_MULTI_PRESSED_144 179
#define IDB_FOLDER_NORMAL_144 180  // 18x18
#define IDB_FOLDER_PRESSED_144 181
#define IDB_SINGLE_NORMAL_192 182  // 24x24
#define IDB_SINGLE_PRESSED_192 183
#define IDB_MULTI_NORMAL_192 184  // 32x32
#define IDB_MULTI_PRESSED_192 185
#define IDB_FOLDER_NORMAL_192 186  // 24x24
#define IDB_FOLDER_PRESSED_192 187

// Context menu of the main window
#define IDR_MENU_CONTEXT 132
#define ID_MENU_SETTING 32771
#define ID_MENU_EXIT 32772
#define ID_MENU_ALWAYS_ON_TOP 32773
#define ID_MENU_SHOW_THUMBNAIL 32776
#define ID_MENU_VERSION 32777
#define ID_MENU_REVIEW_LAST_SHOT 32778
#define ID_MENU_OPEN_LAST_SAVED_FOLDER 34779
#define ID_MENU_OPEN_SINGLE_SHOT_FOLDER 34780
// Folder items of multi-shot profile k (1-based) get ID_MENU_OPEN_SINGLE_SHOT_FOLDER + k.

// About dialog
#define IDD_ABOUTBOX 100
#define IDC_STATIC_VERSION 1075

// Main window
#define IDD_LORIK_DIALOG 102
#define IDC_PROGRESS_INFO 1031
#define IDC_STATIC_THUMB 1032
#define IDC_BUTTON_PHOTO 1073

// Settings dialog host
#define IDD_SETTING 130
#define IDC_TAB_SETTING 1036

// Capture page
#define IDD_SETTING_CAPTURE 133
#define IDC_BUTTON_DRAG 1000
#define IDC_EDIT_TITLE 1001
#define IDC_EDIT_PERIOD 1024
#define IDC_EDIT_STATUS 1028
#define IDC_EDIT_AREA_X 1038
#define IDC_EDIT_AREA_WIDTH 1039
#define IDC_EDIT_AREA_Y 1040
#define IDC_EDIT_AREA_HEIGHT 1041
#define IDC_BUTTON_AUTO_RECOGNIZE 1042
#define IDC_CHECK_DESKTOP 1058
#define IDC_CHECK_RESEARCH 1068
#define IDC_CHECK_LOST_DIALOG 1069
#define IDC_CHECK_RETARGET 1081

// Save page
#define IDD_SETTING_SAVE 134
#define IDC_COMBO_IMAGETYPE 1022
#define IDC_COMBO_BITDEPTH 1023
#define IDC_EDIT_CONV_BUFF 1028
#define IDC_EDIT_SAVE_BUFF 1029
#define IDC_EDIT_CONV_MEMORY 1037
#define IDC_EDIT_SAVE_MEMORY 1038
#define IDC_CHECK_PREVIEW 1072
#define IDC_EDIT_THREAD_NUMBER 1077
#define IDC_CHECK_DISK_CACHE 1078

// Hotkey page
#define IDD_SETTING_HOTKEY 137
#define IDC_BUTTON_SINGLE_CHANGE 1006
#define IDC_BUTTON_MULTI_CHANGE 1007
#define IDC_EDIT_SINGLE_HOTKEY 1009
#define IDC_EDIT_MULTI_HOTKEY 1010
#define IDC_EDIT_SINGLE_FOLDER 1012
#define IDC_BUTTON_SINGLE_BROWSE 1013
#define IDC_EDIT_MULTI_FOLDER 1014
#define IDC_BUTTON_MULTI_BROWSE 1015
#define IDC_EDIT_SINGLE_FORMAT 1016
#define IDC_BUTTON_SINGLE_PREVIEW 1017
#define IDC_EDIT_MULTI_FORMAT 1018
#define IDC_BUTTON_MULTI_PREVIEW 1019
#define IDC_EDIT_BEFORE 1025
#define IDC_EDIT_AFTER 1026
#define IDC_HOTKEY_SINGLE 1039
#define IDC_HOTKEY_MULTI 1040
#define IDC_BUTTON_META_LIST 1042
#define IDC_COMBO_MULTI_PROFILE 1070
#define IDC_EDIT_SAVE_SPEED 1071

// Meta-character list
#define IDD_META_HELP 140
#define IDC_LIST_META 1057

// Miscellaneous page
#define IDD_SETTING_MISC 144
#define IDC_CHECK_ALWAYS_ON_TOP 1035
#define IDC_CHECK_CHECK_ON_EXIT 1043
#define IDC_RADIO_SINGLE_SHOT 1059
#define IDC_RADIO_MULTI_SHOT 1060
#define IDC_RADIO_LAST_SAVED 1061
#define IDC_RADIO_SAVE_FOLDER 1062
#define IDC_COMBO_FOLDER_NO 1067
#define IDC_COMBO_MULTI_SHOT_NO 1068
#define IDC_CHECK_SAVE_BUFF_INFO 1076
#define IDC_CHECK_MULTIPLE_BOOT 1079
#define IDC_CHECK_SUPPRESS_ERROR 1080

// Review of the last multi shot
#define IDD_BURST_REVIEW 200
#define IDC_LIST_BURST 1090
#define IDC_STATIC_BURST_PREVIEW 1091
#define IDC_BUTTON_RECYCLE_UNMARKED 1092
#define IDC_STATIC_BURST_STATUS 1093
#define IDC_CHECK_REVIEW_AFTER_MULTI_SHOT 1094  // on the miscellaneous page
