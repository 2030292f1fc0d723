#include "client/correction_scheduler.h"

#include "client/res/resource_ids.h"
#include "core/clock.h"

CCorrectionScheduler::CCorrectionScheduler(CClientConfig* pConfig, CTimeCorrection* pCorrection,
                                           const CActionLog* pLog, CSchedulerWindow* pWindow,
                                           CBroadcastReception* pReception)
    : nTimerID(0),
      nElapsedSec(0),
      pConfig(pConfig),
      pCorrection(pCorrection),
      pLog(pLog),
      pWindow(pWindow),
      pReception(pReception) {}

// aHosts leaves out the entries without a host, so its positions and the
// list's indexes differ where such entries stand: the selection always
// shows the entry whose host is tried.
int CCorrectionScheduler::EntryOfHost(int nHost) const {
  const CServerList* pList = pConfig->GetServerList();
  for (int i = 0; i < pList->GetCount(); ++i) {
    const NTP_SERVER_INFO* pEntry = pList->GetAt(i);
    if (pEntry != nullptr && !pEntry->sHost.IsEmpty() && nHost-- == 0) return i;
  }
  return -1;
}

// The host position a run from list entry nEntry starts at: its own, or
// that of the next entry with a host; 0 when there is none or no selection.
int CCorrectionScheduler::HostOfEntry(int nEntry) const {
  const CServerList* pList = pConfig->GetServerList();
  int nHost = 0;
  for (int i = 0; i < nEntry && i < pList->GetCount(); ++i) {
    const NTP_SERVER_INFO* pEntry = pList->GetAt(i);
    if (pEntry != nullptr && !pEntry->sHost.IsEmpty()) ++nHost;
  }
  return nHost < pConfig->aHosts.GetCount() ? nHost : 0;
}

BOOL CCorrectionScheduler::RunCorrection(BOOL bApply) {
  pConfig->ReadPanel();  // what the user typed, raised to the minimums
  int nHosts = pConfig->aHosts.GetCount();
  if (nHosts == 0) return 0;
  CServerList* pList = pConfig->GetServerList();
  int nStart = HostOfEntry(pList->GetSelection());
  BOOL bAnswered = 0;
  int nTries = 0;
  while (nTries < nHosts && !bAnswered) {
    int nHost = (nStart + nTries) % nHosts;
    if (pConfig->bRotateServer) pList->SetSelection(EntryOfHost(nHost));  // the server being tried
    CCharString sHost = pConfig->aHosts.GetAt(nHost);
    bAnswered = pConfig->sProtocol == CClientSettings::protocolHttp
                    ? pCorrection->CheckTimeHttp(sHost, pConfig->nTimeout, pConfig->nAllowance, bApply)
                    : pCorrection->CheckTimeNtp(sHost, pConfig->nTimeout, pConfig->nAllowance, bApply);
    ++nTries;
  }
  // The next run starts after the server that answered, spreading the load.
  if (pConfig->bRotateServer) pList->SetSelection(EntryOfHost((nStart + nTries) % nHosts));
  return bAnswered;
}

void CCorrectionScheduler::StartPeriodic() {
  RunCorrection(1);
  nTimerID = pWindow->SetTimer(kTimerId, kTimerPeriodMs);
  nElapsedSec = 0;
}

void CCorrectionScheduler::StopPeriodic() {
  if (nTimerID == 0) return;
  pWindow->KillTimer(nTimerID);
  nTimerID = 0;
}

BOOL CCorrectionScheduler::OnTimer(UINT_PTR nId) {
  if (nId != kTimerId) return FALSE;
  if (++nElapsedSec >= static_cast<DWORD>(pConfig->nCheckSpan) * 60) {
    RunCorrection(1);
    nElapsedSec = 0;
  }
  HoldBack();
  return TRUE;
}

// A clock that runs ahead by less than two minutes is not stepped back but
// held still for up to 2 x 350 ms per tick until the amount is absorbed.
void CCorrectionScheduler::HoldBack() {
  CClock* pClock = GetClock();
  for (int i = 0; i < kSlewStepsPerTick && pCorrection->nSlewMSec > 0; ++i) {
    SYSTEMTIME stHeld;
    pClock->GetLocalTime(&stHeld);
    DWORD dwStart = pClock->GetTickCount();
    pClock->Sleep(static_cast<DWORD>(pCorrection->nSlewMSec < kSlewStepMs ? pCorrection->nSlewMSec : kSlewStepMs));
    pCorrection->nSlewMSec -= static_cast<LONG>(TicksSince(dwStart, pClock->GetTickCount()));
    pClock->SetLocalTime(&stHeld);
  }
}

void CCorrectionScheduler::OnPowerBroadcast(WPARAM wParam) {
  if ((wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND) && IsRunning()) {
    nElapsedSec = static_cast<DWORD>(pConfig->nCheckSpan) * 60 - 1;
  }
}

LRESULT CCorrectionScheduler::OnNtpBroadcast(WPARAM wParam, LPARAM lParam) {
  return pReception != nullptr ? pReception->OnNtpBroadcast(wParam, lParam) : 0;
}

BOOL CCorrectionScheduler::OnCommand(UINT nId) {
  switch (nId) {
    case ID_TEST_RUN:
      RunCorrection(0);
      return TRUE;
    case ID_START_PERIODIC:
      if (IsRunning()) {
        StopPeriodic();
      } else {
        StartPeriodic();
      }
      return TRUE;
    case ID_STOP_PERIODIC:
      StopPeriodic();
      return TRUE;
    case ID_AUTO_DIAGNOSIS:
      pWindow->RunDiagnosis();
      // A first start goes on to periodic runs and starts so from then on.
      if (pConfig->bFirstExec) {
        pConfig->SaveConfig();
        pWindow->PostCommand(ID_START_PERIODIC);
        pConfig->bAutoExec = 1;
        // Every save reads the panel first: it must show the new value, or
        // the save would write the old one back.
        pConfig->WritePanel();
      }
      return TRUE;
    case ID_BROADCAST_RECV:
      pConfig->bBroadcastRecv = !pConfig->bBroadcastRecv;
      if (pReception != nullptr) pReception->EnableBroadcastRecv(pConfig->bBroadcastRecv);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL CCorrectionScheduler::UpdateCmdState(CWLCmdState* pState) {
  switch (pState->nCmdId) {
    case ID_TEST_RUN:
      pState->Enable(IsRunning() ? 0 : 1);
      return TRUE;
    case ID_START_PERIODIC:
      pState->Check(IsRunning() ? 1 : 0);
      return TRUE;
    case ID_STOP_PERIODIC:
      pState->Enable(IsRunning() ? 1 : 0);
      return TRUE;
    case ID_BROADCAST_RECV:
      pState->Check(pConfig->bBroadcastRecv ? 1 : 0);
      return TRUE;
    default:
      return FALSE;
  }
}

CCharString CCorrectionScheduler::GetRunCountText() const {
  int nOK = pLog != nullptr ? pLog->nOKCount : 0, nNG = pLog != nullptr ? pLog->nNGCount : 0;
  CCharString sText;
  sText.Format("%d回 (OK:%d/NG:%d)", nOK + nNG, nOK, nNG);
  return sText;
}

CCharString CCorrectionScheduler::GetCountdownText() const {
  if (!IsRunning()) return CCharString("時刻補正停止");
  int nRemaining = static_cast<int>(static_cast<DWORD>(pConfig->nCheckSpan) * 60 - nElapsedSec);
  CCharString sText;
  if (nRemaining < 3600) {
    sText.Format("次回時刻補正まで%d:%02d", nRemaining / 60, nRemaining % 60);
  } else {
    sText.Format("次回時刻補正まで%d:%02d:%02d", nRemaining / 3600, (nRemaining / 60) % 60, nRemaining % 60);
  }
  return sText;
}

void CCorrectionScheduler::UpdateStatusBar() {
  pWindow->SetStatusText(1, GetRunCountText());
  pWindow->SetStatusText(2, GetCountdownText());
}

void CCorrectionScheduler::StartUp() {
  pConfig->ReadPanel();
  if (pConfig->bFirstExec) {
    pWindow->PostCommand(ID_AUTO_DIAGNOSIS);
    pConfig->bAutoExec = 0;
  }
  if (pConfig->bAutoExec) pWindow->PostCommand(ID_START_PERIODIC);
  if (pReception != nullptr) pReception->EnableBroadcastRecv(pConfig->bBroadcastRecv);
}

void CCorrectionScheduler::OnDestroy() {
  StopPeriodic();
  if (pReception != nullptr) pReception->EnableBroadcastRecv(FALSE);
}
