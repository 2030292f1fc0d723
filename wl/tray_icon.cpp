#include "wl/tray_icon.h"

#include <string.h>

#include "base/mbcs.h"

#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAA) == 508, "the full form ends after the balloon icon");
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the compact form ends after a 64-byte tip");
#endif

CTrayIcon::CTrayIcon(Form form) : nid(), bShown(FALSE) {
  nid.cbSize = form == kFull ? sizeof(NOTIFYICONDATAA) : NOTIFYICONDATAA_V1_SIZE;
}

CTrayIcon::~CTrayIcon() {
  if (bShown) Remove();
}

int CTrayIcon::GetMaxTipLength() const { return nid.cbSize == NOTIFYICONDATAA_V1_SIZE ? 63 : 127; }

BOOL CTrayIcon::Init(HWND hWnd, UINT uId, HICON hIcon, LPCSTR pszTip, UINT uCallbackMessage) {
  if (nid.hWnd != nullptr) return 0;
  nid.hWnd = hWnd;
  nid.uID = uId;
  nid.hIcon = hIcon;
  nid.uCallbackMessage = uCallbackMessage;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // The longest head of the tip that fits without splitting a character.
  const char* pszText = pszTip != nullptr ? pszTip : "";
  int nLength = 0;
  for (int nNext; pszText[nLength] != '\0'; nLength = nNext) {
    nNext = nLength + MbsCharLength(pszText + nLength);
    if (nNext > GetMaxTipLength()) break;
  }
  memset(nid.szTip, 0, sizeof(nid.szTip));
  memcpy(nid.szTip, pszText, static_cast<size_t>(nLength));
  return 1;
}

BOOL CTrayIcon::Show(BOOL bOn) {
  bOn = bOn ? TRUE : FALSE;
  if (bShown == bOn) return bShown;
  if (bOn) {
    bShown = Shell_NotifyIconA(NIM_ADD, &nid) ? TRUE : FALSE;
  } else {
    Shell_NotifyIconA(NIM_DELETE, &nid);
    bShown = FALSE;
  }
  return bShown;
}

BOOL CTrayIcon::Remove() {
  BOOL bResult = nid.hWnd != nullptr ? Shell_NotifyIconA(NIM_DELETE, &nid) : FALSE;
  bShown = FALSE;
  nid.hWnd = nullptr;
  return bResult;
}
