#include "wl/owner_draw_list_box.h"

#include "wl/app.h"

CWLOwnerDrawListBox::CWLOwnerDrawListBox()
    : himl(nullptr),
      nImageWidth(0),
      nImageHeight(0),
      crSelText(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      crSelBack(GetSysColor(COLOR_HIGHLIGHT)) {}

LRESULT CWLOwnerDrawListBox::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_DESTROY) {
    FreeAllItems();
    if (himl != nullptr) {
      ImageList_Destroy(himl);
      himl = nullptr;
    }
  }
  return CWLListBox::WindowProc(uMsg, wParam, lParam);
}

BOOL CWLOwnerDrawListBox::PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) {
  if (!CWLListBox::PreCreate(pszClass, pdwStyle, pdwExStyle)) return FALSE;
  *pdwStyle |= LBS_OWNERDRAWFIXED;
  return TRUE;
}

LRESULT CWLOwnerDrawListBox::OnReflect(UINT uMsg, WPARAM, LPARAM lParam) {
  switch (uMsg) {
    case WM_DRAWITEM:
      return DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
      return MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DELETEITEM:
      return DeleteItem(reinterpret_cast<DELETEITEMSTRUCT*>(lParam));
    default:
      return 0;
  }
}

int CWLOwnerDrawListBox::SetImageList(UINT nBitmapId, int nWidth, COLORREF crMask) {
  if (nWidth <= 0) return -1;
  HBITMAP hBitmap = pApp != nullptr ? pApp->LoadBitmapA(nBitmapId) : nullptr;
  if (hBitmap == nullptr) return -1;
  BITMAP bm = {};
  GetObjectA(hBitmap, sizeof(bm), &bm);
  if (himl != nullptr) ImageList_Destroy(himl);
  nImageWidth = nWidth;
  nImageHeight = bm.bmHeight;
  himl = ImageList_Create(nWidth, bm.bmHeight, ILC_MASK, bm.bmWidth / nWidth, 1);
  int nResult = himl != nullptr ? ImageList_AddMasked(himl, hBitmap, crMask) : -1;
  // The image list keeps its own copy.
  DeleteObject(hBitmap);
  return nResult;
}

BOOL CWLOwnerDrawListBox::DrawItem(DRAWITEMSTRUCT* pDraw) {
  auto* pItem = reinterpret_cast<CWLOwnerDrawItemData*>(pDraw->itemData);
  if (pItem == nullptr || pDraw->itemID == static_cast<UINT>(-1)) return 0;
  CCharString sText = pItem->GetText();  // log entries set their colours here
  HDC hdc = pDraw->hDC;
  const RECT& rcItem = pDraw->rcItem;

  RECT rcText = rcItem;
  rcText.top += 2;
  rcText.left = himl != nullptr ? rcItem.left + nImageWidth + 3 : rcItem.left + 1;
  const UINT uFormat = DT_NOPREFIX | DT_VCENTER;
  DrawTextA(hdc, sText, -1, &rcText, uFormat | DT_CALCRECT);

  bool bSelected = (pDraw->itemState & ODS_SELECTED) != 0;
  int nSaved = SaveDC(hdc);
  SetBkColor(hdc, bSelected ? crSelBack : pItem->crBack);
  SetTextColor(hdc, bSelected ? crSelText : pItem->crText);
  ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rcItem, nullptr, 0, nullptr);
  if (pDraw->itemState & ODS_FOCUS) DrawFocusRect(hdc, &rcItem);
  if (himl != nullptr && pItem->nImage >= 0) {
    int y = rcItem.top + (rcItem.bottom - nImageHeight - rcItem.top) / 2;
    ImageList_Draw(himl, pItem->nImage, hdc, rcItem.left + 1, y, ILD_NORMAL);
  }
  DrawTextA(hdc, sText, -1, &rcText, uFormat);
  RestoreDC(hdc, nSaved);
  return 1;
}

BOOL CWLOwnerDrawListBox::MeasureItem(MEASUREITEMSTRUCT* pMeasure) {
  CCharString sSample("WWWWWWWWWWWW");
  auto* pItem = reinterpret_cast<CWLOwnerDrawItemData*>(pMeasure->itemData);
  if (pItem != nullptr && GetItemCount() > 0) sSample = pItem->GetText();
  RECT rc = {0, 0, 0, 0};
  HDC hdc = GetDC(hWnd);
  HGDIOBJ hOldFont = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(hdc, sSample, -1, &rc, DT_NOPREFIX | DT_CALCRECT | DT_VCENTER);
  SelectObject(hdc, hOldFont);
  ReleaseDC(hWnd, hdc);
  int nTextHeight = rc.bottom - rc.top;
  pMeasure->itemWidth -= 2;
  pMeasure->itemHeight = static_cast<UINT>((nTextHeight > nImageHeight ? nTextHeight : nImageHeight) + 4);
  return 1;
}

BOOL CWLOwnerDrawListBox::DeleteItem(DELETEITEMSTRUCT* pDelete) {
  return FreeItemData(static_cast<int>(pDelete->itemID), reinterpret_cast<CWLOwnerDrawItemData*>(pDelete->itemData));
}

BOOL CWLOwnerDrawListBox::FreeItemData(int, CWLOwnerDrawItemData* pItem) {
  delete pItem;
  return 1;
}

CWLOwnerDrawItemData* CWLOwnerDrawListBox::GetItemObject(int nIndex) const {
  LPARAM lData = GetItemData(nIndex);
  if (lData == LB_ERR) return nullptr;
  return reinterpret_cast<CWLOwnerDrawItemData*>(lData);
}

int CWLOwnerDrawListBox::MoveItem(int nFrom, int nTo) {
  CWLOwnerDrawItemData* pItem = GetItemObject(nFrom);
  if (pItem == nullptr || nTo < 0 || nTo >= GetItemCount()) return -1;
  // Without its data the deleted item frees nothing.
  SetItemData(nFrom, 0);
  DeleteString(nFrom);
  int nIndex = InsertItem(nTo, "", reinterpret_cast<LPARAM>(pItem));
  if (nIndex < 0) FreeItemData(nTo, pItem);
  return nIndex;
}

void CWLOwnerDrawListBox::FreeAllItems() {
  // Each object is freed here once; the WM_DELETEITEM notifications of the
  // list box's own destruction then carry no object.
  for (int i = GetItemCount() - 1; i >= 0; --i) {
    CWLOwnerDrawItemData* pItem = GetItemObject(i);
    SetItemData(i, 0);
    FreeItemData(i, pItem);
  }
}
