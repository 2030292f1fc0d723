#pragma once
// One entry of the run log: the finished result line and its kind.
#include "wl/owner_draw_item.h"

class NTP_ACTIONLOG_INFO : public CWLOwnerDrawItemData {
 public:
  NTP_ACTIONLOG_INFO() : nKind(0) {}
  // Also sets the colours of the kind (failed red, corrected blue).
  CCharString GetText() override;

  CCharString sText;
  int nKind;  // 0 failed, 1 confirmed, 2 corrected
};
