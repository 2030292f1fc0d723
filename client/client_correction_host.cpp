#include "client/client_correction_host.h"

void CClientCorrectionHost::ReportCorrection(const CCharString& line, int kind) {
  pLog->bSaveLog = pSettings->bSaveLog;
  int index = pLog->AddLog(line, kind);
  if (index >= 0 && pLog->pView) pLog->pView->SetSelection(index);
}

BOOL CClientCorrectionHost::GetHttpProxy(CCharString* proxy) {
  if (!pSettings->bUseHttpProxy) return FALSE;
  *proxy = pSettings->sHttpProxy;
  return TRUE;
}
