// Vantro's resource, control and command identifiers, for code and the
// resource script.
#pragma once

#include "client/res/image_ids.h"

// Icons. The program icon is a placeholder until the main window's icons
// are drawn.
#define IDI_VANTRO 2

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
#define IDS_NOT_NTP_SERVER 115
#define IDS_NOT_HTTP_SERVER 116
#define IDS_ENTRY_INCOMPLETE 117
#define IDS_PROXY_PROMPT 118

// Commands.
#define ID_TEST_RUN 32775
#define ID_START_PERIODIC 32776
#define ID_STOP_PERIODIC 32783
#define ID_AUTO_DIAGNOSIS 32796
#define ID_BROADCAST_RECV 32797
