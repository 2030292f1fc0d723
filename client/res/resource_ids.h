// Vantro's resource, control and command identifiers, for code and the
// resource script.
#pragma once

#include "client/res/image_ids.h"

// Icons: the program (window class) and the small one (class, tray).
#define IDI_VANTRO 2
#define IDI_VANTRO_SMALL 108

// The main window's menu and accelerators.
#define IDR_MAINFRAME 109
// Toolbar resource (RT_TOOLBAR) of the main window; its images are bitmap 130.
#define IDR_TOOLBAR IDB_TOOLBAR

// Dialog templates.
#define IDD_INPUT 132       // a line of text (CWLInputDialog)
#define IDD_CONFIG_BAR 134  // the settings panel (CNTPConfigBar)
#define IDD_SERVER 135      // one server entry (CSorbelDlg)
#define IDD_ABOUT 136       // application information (CAboutDlg)

// Controls of the input dialog.
#define IDC_INPUT_TEXT 1000
#define IDC_INPUT_PROMPT 1010

// Controls of the server dialog.
#define IDC_SERVER_HOST 1001
#define IDC_SERVER_NAME 1011

// Controls of the settings panel.
#define IDC_SERVER_LIST 1005
#define IDC_AUTO_EXEC 1006
#define IDC_SAVE_LOG 1007
#define IDC_CHECK_SPAN 1008
#define IDC_CHECK_SPAN_SPIN 1009
#define IDC_TIMEOUT 1010
#define IDC_ALLOWANCE 1011
#define IDC_TIMEOUT_SPIN 1012
#define IDC_ALLOWANCE_SPIN 1013
#define IDC_ROTATE_SERVER 1014

// Strings.
#define IDS_VANTRO_TITLE 103
#define IDS_CONFIRM_STARTUP_REGISTER 104
#define IDS_CONFIRM_STARTUP_UNREGISTER 105
#define IDS_NO_SERVER_SELECTED 106
#define IDS_CONFIRM_CLEAR_LOG 107
#define IDS_CONFIRM_DELETE_SERVER 108
#define IDS_CONFIRM_DOWNLOAD 111
#define IDS_DOWNLOAD_FAILED 112
#define IDS_CONFIRM_USE_HTTP 113
#define IDS_CONFIRM_USE_NTP 114
#define IDS_NOT_NTP_SERVER 115
#define IDS_NOT_HTTP_SERVER 116
#define IDS_ENTRY_INCOMPLETE 117
#define IDS_PROXY_PROMPT 118
#define IDS_SERVICE_MODE_NOTICE 119
#define IDS_STARTUP_ALL_USERS 120

// Control identifiers of the main window's children.
#define IDC_TOOLBAR 130
#define IDC_STATUS_BAR 131
#define IDC_LOG_LIST 133
#define IDC_CONFIG_BAR 134

// Commands. Those from 32768 on have a string of their own: the help text
// and, after the last line break, the toolbar button's caption.
#define ID_APP_EXIT 105
#define ID_TEST_RUN 32775
#define ID_START_PERIODIC 32776
#define ID_ADD_SERVER 32777
#define ID_DELETE_SERVER 32778
#define ID_SERVER_UP 32779
#define ID_SERVER_DOWN 32780
#define ID_CLEAR_LOG 32781
#define ID_OPEN_LOG 32782
#define ID_STOP_PERIODIC 32783
#define ID_TIME_ZONE 32784
#define ID_EDIT_SERVER 32785
#define ID_ABOUT 32786
#define ID_UPDATE_INFO 32787
#define ID_TACK_TRAY 32788
#define ID_SERVICE_INSTALL 32789
#define ID_SERVICE_REMOVE 32790
#define ID_DOWNLOAD_LIST 32791
#define ID_USE_NTP 32792
#define ID_USE_HTTP 32793
#define ID_USE_HTTP_PROXY 32794
#define ID_HTTP_PROXY_SETTING 32795
#define ID_AUTO_DIAGNOSIS 32796
#define ID_BROADCAST_RECV 32797
#define ID_STARTUP_REGISTER 32800
#define ID_STARTUP_UNREGISTER 32802
#define ID_FIRST_COMMAND_STRING 32768

// Window messages with fixed numbers.
#define WM_VANTRO_TRAY_RESHOW 0x8384  // from outside: the tray icon again (wParam: shown)
#define WM_VANTRO_TRAY_NOTIFY 0x8C9E  // the tray icon's callback; a second instance
#define VANTRO_TRAY_ICON_ID 100
