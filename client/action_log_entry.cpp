#include "client/action_log_entry.h"

CCharString NTP_ACTIONLOG_INFO::GetText() {
  switch (nKind) {
    case 0:
      crText = RGB(255, 0, 0);
      crBack = RGB(255, 224, 224);
      break;
    case 1:
      crText = GetSysColor(COLOR_WINDOWTEXT);
      crBack = GetSysColor(COLOR_WINDOW);
      break;
    case 2:
      crText = RGB(0, 0, 255);
      crBack = RGB(224, 224, 255);
      break;
    default:
      break;
  }
  return sText;
}
