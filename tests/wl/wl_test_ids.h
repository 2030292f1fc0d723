// Resource identifiers of the window-framework tests.
#pragma once

#define IDD_TEST 200         // dialog with an owner-drawn list, edit, check box, buttons
#define IDD_TEST_NO_FONT 201 // the same controls without a template font
#define IDD_PANEL 202        // child panel of the demonstration frame
#define IDC_LIST 1005
#define IDC_EDIT 1008
#define IDC_CHECK 1006
#define IDC_LATE 1100        // a button made after the dialog
#define IDI_TEST 108         // Vantro's small icon
#define IDR_TOOLBAR 130      // Vantro's RT_TOOLBAR, same identifier as its bitmap
#define IDR_NO_BITMAP 131    // RT_TOOLBAR without a bitmap of its own
#define IDS_LEADING_BREAK 40001
#define IDS_NO_BREAK 40002
