#include "wl/tool_bar.h"

#include <string.h>

#include "wl/app.h"
#include "wl/command_text.h"

namespace {
const WORD kRtToolBar = 241;
const COLORREF kTransparent = RGB(255, 0, 255);
}  // namespace

CWLToolBarEx::CWLToolBarEx(DWORD dwStyle)
    : sizeBitmap({0, 0}), sizeButton({0, 0}), hResInstance(nullptr), dwAddStyle(dwStyle) {}

CWLToolBarEx::~CWLToolBarEx() {
  for (HBITMAP hBitmap : aBitmaps) DeleteObject(hBitmap);
}

BOOL CWLToolBarEx::PreCreate(char* pszClass, DWORD* pdwStyle, DWORD*) {
  strcpy(pszClass, TOOLBARCLASSNAMEA);
  *pdwStyle |= dwAddStyle;
  return TRUE;
}

BOOL CWLToolBarEx::LoadToolBar(UINT nId, BOOL bCaptions, HINSTANCE hInstance) {
  SendMessageA(hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  hResInstance = hInstance != nullptr ? hInstance : GetInstance();
  HRSRC hResource = FindResourceA(hResInstance, MAKEINTRESOURCEA(nId), MAKEINTRESOURCEA(kRtToolBar));
  if (hResource == nullptr) return FALSE;
  // Words: version, bitmap width, bitmap height, count, count identifiers.
  const auto* pWords = static_cast<const WORD*>(LockResource(LoadResource(hResInstance, hResource)));
  DWORD dwSize = SizeofResource(hResInstance, hResource);
  if (pWords == nullptr || dwSize < 4 * sizeof(WORD) || dwSize < (4u + pWords[3]) * sizeof(WORD)) return FALSE;
  SIZE sizeImage = {pWords[1], pWords[2]};
  SIZE sizeFrame = {pWords[1] + 7, pWords[2] + 7};
  SetSizes(&sizeFrame, &sizeImage);
  if (!AddButtons(pWords + 4, pWords[3], bCaptions)) return FALSE;
  return AddBitmap(nId);
}

BOOL CWLToolBarEx::AddBitmap(UINT nId) {
  // Magenta becomes the button face, which the toolbar draws transparent.
  COLORMAP map = {kTransparent, GetSysColor(COLOR_BTNFACE)};
  HBITMAP hBitmap = CreateMappedBitmap(hResInstance, static_cast<INT_PTR>(nId), 0, &map, 1);
  if (hBitmap == nullptr) return FALSE;
  aBitmaps.push_back(hBitmap);
  BITMAP bm = {};
  GetObjectA(hBitmap, sizeof(bm), &bm);
  TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(hBitmap)};
  int nImages = sizeBitmap.cx > 0 ? bm.bmWidth / sizeBitmap.cx : 1;
  return SendMessageA(hWnd, TB_ADDBITMAP, nImages, reinterpret_cast<LPARAM>(&add)) != -1;
}

BOOL CWLToolBarEx::AddButtons(const WORD* pIds, int nCount, BOOL bCaptions) {
  while (SendMessageA(hWnd, TB_BUTTONCOUNT, 0, 0) > 0) {
    if (!SendMessageA(hWnd, TB_DELETEBUTTON, 0, 0)) return FALSE;
  }
  bool bFlat = (GetWindowLongA(hWnd, GWL_STYLE) & TBSTYLE_FLAT) != 0;
  int nImage = 0;
  for (int i = 0; i < nCount; ++i) {
    TBBUTTON button = {};
    UINT nId = pIds != nullptr ? pIds[i] : 0;
    if (pIds == nullptr || nId != 0) {
      button.iBitmap = nImage++;
      button.idCommand = static_cast<int>(nId);
      button.fsState = TBSTATE_ENABLED;
      button.iString = -1;
      if (bCaptions && nId != 0) {
        CCharString sCaption = GetCommandCaption(LoadCommandString(nId));
        if (!sCaption.IsEmpty()) button.iString = AddString(sCaption);
      }
    } else {
      button.iBitmap = bFlat ? 6 : 8;  // the separator's width
      button.fsStyle = TBSTYLE_SEP;
    }
    if (!SendMessageA(hWnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button))) return FALSE;
  }
  SizeButtonsToLargest();
  return TRUE;
}

BOOL CWLToolBarEx::SetButtonTexts() {
  int nCount = static_cast<int>(SendMessageA(hWnd, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < nCount; ++i) {
    TBBUTTON button = {};
    if (!SendMessageA(hWnd, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) return FALSE;
    if ((button.fsStyle & TBSTYLE_SEP) || button.idCommand < 1) continue;
    CCharString sCaption = GetCommandCaption(LoadCommandString(static_cast<UINT>(button.idCommand)));
    if (sCaption.IsEmpty()) continue;
    // The string index of a button is fixed when it is added: add it again.
    button.iString = AddString(sCaption);
    if (!SendMessageA(hWnd, TB_DELETEBUTTON, i, 0) ||
        !SendMessageA(hWnd, TB_INSERTBUTTONA, i, reinterpret_cast<LPARAM>(&button))) {
      return FALSE;
    }
  }
  SizeButtonsToLargest();
  return TRUE;
}

BOOL CWLToolBarEx::AddToolTips(HWND hToolTip) {
  int nCount = static_cast<int>(SendMessageA(hWnd, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < nCount; ++i) {
    TBBUTTON button = {};
    if (!SendMessageA(hWnd, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
    if ((button.fsStyle & TBSTYLE_SEP) || button.idCommand < 1) continue;
    CCharString sHelp = GetCommandHelpText(LoadCommandString(static_cast<UINT>(button.idCommand)));
    TOOLINFOA info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = hWnd;
    info.uId = static_cast<UINT_PTR>(button.idCommand);
    SendMessageA(hWnd, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&info.rect));
    info.hinst = GetInstance();
    info.lpszText = const_cast<char*>(static_cast<const char*>(sHelp));
    SendMessageA(hToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }
  SendMessageA(hWnd, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(hToolTip), 0);
  return TRUE;
}

int CWLToolBarEx::AddString(LPCSTR pszText) {
  // The list form: the text followed by two zero bytes.
  size_t nLength = strlen(pszText);
  std::vector<char> aList(nLength + 2, '\0');
  memcpy(aList.data(), pszText, nLength);
  return static_cast<int>(SendMessageA(hWnd, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(aList.data())));
}

BOOL CWLToolBarEx::SetSizes(const SIZE* pButton, const SIZE* pBitmap) {
  if (pBitmap != nullptr) {
    sizeBitmap = *pBitmap;
    SendMessageA(hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(pBitmap->cx, pBitmap->cy));
  }
  if (pButton != nullptr) {
    sizeButton = *pButton;
    SendMessageA(hWnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(pButton->cx, pButton->cy));
  }
  InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

CCharString CWLToolBarEx::LoadCommandString(UINT nId) {
  return pApp != nullptr ? pApp->LoadResString(nId) : CCharString();
}

void CWLToolBarEx::SizeButtonsToLargest() {
  SIZE size = {0, 0};
  int nCount = static_cast<int>(SendMessageA(hWnd, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < nCount; ++i) {
    RECT rc = {0, 0, 0, 0};
    if (!SendMessageA(hWnd, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc))) continue;
    if (rc.right - rc.left > size.cx) size.cx = rc.right - rc.left;
    if (rc.bottom - rc.top > size.cy) size.cy = rc.bottom - rc.top;
  }
  if (size.cx > 0 && size.cy > 0) SetSizes(&size, nullptr);
}
