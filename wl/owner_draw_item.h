#pragma once
// Base of every item of an owner-drawn list: the list draws the image and the
// text that the item gives, in the item's colours. The list owns its items.
#include <windows.h>

#include "base/char_string.h"

class CWLOwnerDrawItemData {
 public:
  CWLOwnerDrawItemData()
      : nImage(-1), crText(GetSysColor(COLOR_WINDOWTEXT)), crBack(GetSysColor(COLOR_WINDOW)) {}
  virtual ~CWLOwnerDrawItemData() {}
  virtual CCharString GetText() = 0;

  int nImage;  // index into the list's image list; -1 = none
  COLORREF crText;
  COLORREF crBack;
};
