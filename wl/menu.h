#pragma once
// A menu handle with its items addressed by position. The menu is not
// destroyed with the object.
#include <windows.h>

class CWLMenu {
 public:
  explicit CWLMenu(HMENU hMenu);
  virtual ~CWLMenu();

  virtual int GetItemCount();
  // -1 for a submenu.
  virtual UINT GetItemID(int nPos);
  // Neither a submenu nor a separator.
  virtual BOOL IsCommandItem(int nPos);
  virtual UINT GetState(int nPos);
  // Checks, grays and (with a window) highlights the item as nWanted says;
  // the flags before.
  virtual UINT SetState(int nPos, UINT nWanted, HWND hWnd = nullptr);
  virtual UINT SetCheck(int nPos, BOOL bOn);
  virtual UINT SetEnable(int nPos, BOOL bOn);
  // Highlighting needs the window whose menu it is.
  virtual UINT SetHilite(int nPos, BOOL bOn, HWND hWnd = nullptr);
  // The position of the first item with the identifier, or -1.
  virtual int FindItem(UINT nId);

  HMENU hMenu;
  UINT nFlags;  // MF_BYPOSITION
};
