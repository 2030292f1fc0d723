#pragma once
// Resource, command and message numbers of Sorbel.exe, shared by its
// resource script and its code.

// Resources.
#define IDS_SORBEL_TITLE 103         // window title and tray tip
#define IDS_SERVICE_MODE_NOTICE 104  // service commands while run as a service
#define IDI_SORBEL_TRAY 108
#define IDR_SORBEL_TRAY_MENU 109     // its first popup is the tray menu

// Commands of the tray menu.
#define ID_APP_EXIT 105
#define ID_BROADCAST_NOW 32775
#define ID_BROADCAST_MODE 32776
#define ID_RESPONSE_MODE 32783
#define ID_UPDATE_INFO 32787
#define ID_SERVICE_INSTALL 32789
#define ID_SERVICE_REMOVE 32790
#define ID_MENU_TITLE 32797
#define ID_EDIT_SETTINGS 32798

// Window messages with fixed numbers.
#define WM_SORBEL_TRAY_NOTIFY 0x8C9E  // tray icon callback; lParam: the mouse message
#define WM_SORBEL_TRAY_RESHOW 0x8384  // from outside: re-add the icon (wParam: show)
#define SORBEL_TRAY_ICON_ID 100
