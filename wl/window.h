#pragma once
// A window object that deletes itself with its window (bAutoDelete), with
// geometry, text and message-box helpers.
#include "wl/base_window.h"

// A window rectangle as origin and size.
struct WLRECT {
  int x;
  int y;
  int cx;
  int cy;
};

class CWLWindow : public CWLBaseWindow {
 public:
  enum { kMove = 1, kSize = 2 };  // SetRect flags

  CWLWindow();

  // Everything to DefaultProc; WM_DESTROY then deletes an auto-delete object.
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  virtual BOOL Create(CWLWindow* pParent) = 0;
  // DestroyWindow now, or a posted WM_CLOSE.
  virtual BOOL Close(BOOL bNow);
  // The object of a child control; a control without one gets a
  // CWLAttachCtrl (which goes with its window). nullptr without such child.
  virtual CWLWindow* GetItem(UINT nId);
  virtual BOOL SetRect(const WLRECT& rect, UINT nFlags);
  // In the parent's client coordinates; pNew is applied first.
  virtual BOOL GetRect(WLRECT* pRect, const WLRECT* pNew = nullptr);
  virtual BOOL Position(POINT* pPoint, const POINT* pNew = nullptr);
  virtual BOOL Size(SIZE* pSize, const SIZE* pNew = nullptr);
  // nState -1 only asks; the resulting IsWindowEnabled.
  virtual BOOL Enable(int nState = -1);

  // Owned by this window; the caption is the window text when none is given.
  int MessageBox(LPCSTR pszText, UINT uType = MB_OK, LPCSTR pszCaption = nullptr);
  int MessageBox(UINT nTextId, UINT uType = MB_OK, LPCSTR pszCaption = nullptr);
  BOOL SetInt(int nValue, LPCSTR pszFormat = nullptr);
  int GetInt();
  // The new value of the window long nIndex.
  LONG ModifyStyle(int nIndex, DWORD dwAdd, DWORD dwRemove);

  BOOL bAutoDelete;
  BOOL bDialogNavigation;  // the message loop runs IsDialogMessageA for it
};
