#pragma once
// A list box whose items are CWLOwnerDrawItemData objects drawn by the list:
// an image from its image list, then the item's text in the item's colours
// (the system highlight colours while selected). The list owns the objects:
// each is freed once, when its item is deleted, the list is reset, or the
// list is destroyed.
#include <windows.h>

#include <commctrl.h>

#include "wl/list_box.h"
#include "wl/owner_draw_item.h"

class CWLOwnerDrawListBox : public CWLListBox {
 public:
  CWLOwnerDrawListBox();

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // The list box styles plus LBS_OWNERDRAWFIXED.
  BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) override;
  // WM_DRAWITEM, WM_MEASUREITEM and WM_DELETEITEM reflected by the parent.
  LRESULT OnReflect(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

  // Images of nWidth pixels from a bitmap resource, crMask transparent; the
  // result of adding them (-1 on failure).
  virtual int SetImageList(UINT nBitmapId, int nWidth, COLORREF crMask);
  // 1 when the item had an object.
  virtual BOOL DrawItem(DRAWITEMSTRUCT* pDraw);
  virtual BOOL MeasureItem(MEASUREITEMSTRUCT* pMeasure);
  virtual BOOL DeleteItem(DELETEITEMSTRUCT* pDelete);
  // Deletes the object when there is one; 1.
  virtual BOOL FreeItemData(int nIndex, CWLOwnerDrawItemData* pItem);

  // The item's object, nullptr outside the list or for an item without one.
  CWLOwnerDrawItemData* GetItemObject(int nIndex) const;
  // Moves an item keeping its object; the new index, or -1 (the object is
  // then freed).
  int MoveItem(int nFrom, int nTo);

  HIMAGELIST himl;
  int nImageWidth;
  int nImageHeight;
  COLORREF crSelText;
  COLORREF crSelBack;

 private:
  void FreeAllItems();
};
