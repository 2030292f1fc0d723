#pragma once
// The toolbar: buttons from an RT_TOOLBAR resource with their bitmap, button
// captions and tooltips from the command strings (help text "\n" caption).
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "wl/gui_ctrl.h"

class CWLToolBar : public CWLGUICtrl {};

class CWLToolBarEx : public CWLToolBar {
 public:
  // dwAddStyle is added at creation (TBSTYLE_FLAT, TBSTYLE_TOOLTIPS, ...).
  explicit CWLToolBarEx(DWORD dwAddStyle = 0);
  // Deletes the button bitmaps once the toolbar is gone.
  ~CWLToolBarEx() override;

  BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) override;
  // Buttons of the RT_TOOLBAR resource nId and the bitmap of the same
  // identifier, from hInstance (the application's when nullptr), which is
  // remembered; with bCaptions each button shows its caption.
  virtual BOOL LoadToolBar(UINT nId, BOOL bCaptions, HINSTANCE hInstance = nullptr);
  // Gives every command button the caption of its string.
  virtual BOOL SetButtonTexts();
  // A tool with the help text for every command button, then the toolbar
  // takes hToolTip as its tooltip control.
  virtual BOOL AddToolTips(HWND hToolTip);
  // The index of the text in the toolbar's string list, or -1.
  virtual int AddString(LPCSTR pszText);
  virtual BOOL SetSizes(const SIZE* pButton, const SIZE* pBitmap);
  // Replaces all buttons: one per identifier (0 = separator), or nCount plain
  // buttons without identifiers; the buttons are sized to the largest.
  virtual BOOL AddButtons(const WORD* pIds, int nCount, BOOL bCaptions);

  // The images of a bitmap resource (magenta transparent); FALSE when it is
  // missing.
  BOOL AddBitmap(UINT nId);

  SIZE sizeBitmap;
  SIZE sizeButton;
  HINSTANCE hResInstance;
  DWORD dwAddStyle;

 private:
  CCharString LoadCommandString(UINT nId);
  void SizeButtonsToLargest();

  std::vector<HBITMAP> aBitmaps;
};
