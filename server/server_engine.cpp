#include "server/server_engine.h"

#include "base/char_string.h"
#include "client/sys/elevation_notice.h"
#include "client/sys/os_version.h"
#include "core/sntp.h"
#include "server/server_packet.h"
#include "server/sorbel.h"

namespace {

const char kWindowsTimeNotice[] =
    "NTPサーバーの受信ポート番号[%d]が使用できません。\n\n"
    "[Windows Time サービス]と重複利用している可能性がありますので、\n"
    "[Windows Time サービス]を一時停止します";
const char kPortTakenNotice[] =
    "NTPサーバーの受信ポート番号[%d]が使用できません。\n\n"
    "※他のアプリが使用しています\n"
    "(利用するにはアプリを停止させてください)";

}  // namespace

CServerEngine::CServerEngine(CServerSettings* settings, CServerPrompt* prompt, CServerTimer* timer)
    : pSettings(settings),
      bServiceMode(FALSE),
      hBroadcastTimer(0),
      nBroadcastTicks(0),
      pPrompt(prompt),
      pTimer(timer) {}

CServerEngine::~CServerEngine() {
  SetBroadcastMode(FALSE);
  SetResponseMode(FALSE);
}

int CServerEngine::AskUser(const char* text, UINT type) {
  return pPrompt ? pPrompt->MessageBox(text, type) : IDCANCEL;
}

void CServerEngine::BringToFront() {
  if (pPrompt) pPrompt->SetForeground();
}

BOOL CServerEngine::ConfirmElevation(const char* prefix, const char* program, const char* note) {
  if (!IsVistaOrLater()) return TRUE;
  CCharString text = ElevationNoticeText(prefix, program, note);
  return AskUser(text, MB_YESNO) == IDYES ? TRUE : FALSE;
}

BOOL CServerEngine::SetResponseMode(BOOL on) {
  if (!on) {
    pResponder.Stop(&CSorbel::pCtrl);
    return TRUE;
  }
  if (GetResponder()) return TRUE;

  int port = pSettings->nNtpPort;
  switch (ProbeUdpPort(port, kWindowsTimeNotice, kPortTakenNotice, bServiceMode, this)) {
    case kPortFree:
      StartResponder(static_cast<WORD>(port & 0xFFFF));
      return TRUE;
    case kPortDeclined:
      return FALSE;
    default:
      pSettings->bResponseMode = FALSE;
      return FALSE;
  }
}

CSorbel* CServerEngine::NewResponder() { return new CSorbel; }

void CServerEngine::StartResponder(WORD port) {
  CSorbel* p = NewResponder();
  p->nPort = port;
  pResponder.Start(p, &CSorbel::pCtrl, this);
}

BOOL CServerEngine::SetBroadcastMode(BOOL on) {
  if (on && !hBroadcastTimer) {
    nBroadcastTicks = 0;
    hBroadcastTimer = pTimer ? pTimer->SetTimer(kBroadcastTimerId, kBroadcastTimerMs) : 0;
  } else if (!on && hBroadcastTimer) {
    if (pTimer) pTimer->KillTimer(kBroadcastTimerId);
    hBroadcastTimer = 0;
  }
  return TRUE;
}

BOOL CServerEngine::OnTimer(UINT_PTR id) {
  if (id != kBroadcastTimerId) return FALSE;
  ++nBroadcastTicks;
  if (nBroadcastTicks >= pSettings->nBroadcastSpanSec) {
    BroadcastNow();
    nBroadcastTicks = 0;
  }
  return TRUE;
}

BOOL CServerEngine::BroadcastNow() {
  CSNTP sntp;  // a fresh socket; the system picks the source port
  NTP_PACKET msg;
  msg.InitRequest();
  return SendServerPacket(&sntp, &msg, pSettings->dwBroadcastAddr, pSettings->nBroadcastPort,
                          kNtpModeBroadcast);
}
