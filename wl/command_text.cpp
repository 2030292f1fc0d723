#include "wl/command_text.h"

#include "base/mbcs.h"

CCharString GetCommandHelpText(const char* pszText) {
  if (pszText == nullptr) return CCharString();
  int nBreak = MbsFindLastByte(pszText, '\n');
  if (nBreak <= 0) return CCharString(pszText);
  CCharString sHelp;
  sHelp.Append(pszText, nBreak);
  return sHelp;
}

CCharString GetCommandCaption(const char* pszText) {
  if (pszText == nullptr) return CCharString();
  int nBreak = MbsFindLastByte(pszText, '\n');
  return nBreak < 0 ? CCharString() : CCharString(pszText + nBreak + 1);
}
