#pragma once
// The notification-area icon of a window. Vantro uses the full structure
// (508 bytes, tip of 127 bytes), Sorbel the compact first form (88 bytes, tip
// of 63 bytes).
#include <windows.h>
#include <shellapi.h>

class CTrayIcon {
 public:
  enum Form { kFull, kCompact };

  explicit CTrayIcon(Form form = kFull);
  // Takes a shown icon away.
  ~CTrayIcon();

  // 0 when a window is already set. The tip is cut to the form's length on a
  // character boundary.
  BOOL Init(HWND hWnd, UINT uId, HICON hIcon, LPCSTR pszTip, UINT uCallbackMessage);
  // Adds (on) or deletes the icon unless it already is in that state; the
  // shown flag afterwards.
  BOOL Show(BOOL bOn);
  // Deletes the icon and forgets the window.
  BOOL Remove();

  // The tip's longest length in bytes (without the terminator).
  int GetMaxTipLength() const;

  NOTIFYICONDATAA nid;
  BOOL bShown;
};
