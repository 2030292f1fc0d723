#include "server/server_engine.h"

#include "base/char_string.h"
#include "client/sys/elevation_notice.h"
#include "client/sys/os_version.h"
#include "client/sys/shell_start.h"
#include "core/sntp.h"
#include "core/udp_socket.h"
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

PVOID volatile* Slot(CSorbel* volatile* slot) { return reinterpret_cast<PVOID volatile*>(slot); }

}  // namespace

CServerEngine::CServerEngine(CServerSettings* settings, CServerPrompt* prompt, CServerTimer* timer)
    : pSettings(settings),
      bServiceMode(FALSE),
      pResponder(nullptr),
      hBroadcastTimer(0),
      nBroadcastTicks(0),
      pPrompt(prompt),
      pTimer(timer) {}

CServerEngine::~CServerEngine() {
  SetBroadcastMode(FALSE);
  SetResponseMode(FALSE);
}

int CServerEngine::Ask(const char* text, UINT type) {
  return pPrompt ? pPrompt->MessageBox(text, type) : IDCANCEL;
}

void CServerEngine::BringToFront() {
  if (pPrompt) pPrompt->SetForeground();
}

CSorbel* CServerEngine::GetResponder() const {
  return static_cast<CSorbel*>(
      InterlockedCompareExchangePointer(Slot(const_cast<CSorbel* volatile*>(&pResponder)), nullptr,
                                        nullptr));
}

BOOL CServerEngine::ReleaseResponder(CSorbel* p) {
  return InterlockedCompareExchangePointer(Slot(&pResponder), nullptr, p) == p ? TRUE : FALSE;
}

BOOL CServerEngine::ConfirmElevation(const char* prefix, const char* program, const char* note) {
  if (!IsVistaOrLater()) return TRUE;
  CCharString text = ElevationNoticeText(prefix, program, note);
  return Ask(text, MB_YESNO) == IDYES ? TRUE : FALSE;
}

BOOL CServerEngine::SetResponseMode(BOOL on) {
  if (!on) {
    // Taking the slot decides who lets go of the responder: if the thread
    // already ended by itself, it found the slot held and did so.
    CSorbel* p = static_cast<CSorbel*>(InterlockedExchangePointer(Slot(&pResponder), nullptr));
    if (p) {
      p->pCtrl.Detach();
      p->Stop();
    }
    return TRUE;
  }
  if (GetResponder()) return TRUE;

  int port = pSettings->nNtpPort;
  // Only a test: the responder binds its own socket.
  CUDPSocket probe;
  BOOL ok = probe.Create(SOCK_DGRAM) && probe.Bind(port, INADDR_ANY);
  if (!ok && port == kWindowsTimePort && IsNTFamily()) {
    CCharString notice;
    notice.Format(kWindowsTimeNotice, port);
    BringToFront();
    bool go = true;
    if (!bServiceMode) {
      go = Ask(notice, MB_YESNO) == IDYES;
      if (go && !ConfirmElevation("Windows Time サービスの停止には", "Windowsコマンドプロセッサ",
                                  nullptr)) {
        probe.Close();
        return FALSE;
      }
    }
    if (go) {
      RunAndWait("cmd.exe", "/c net stop w32time", INFINITE);
      ok = probe.Bind(kWindowsTimePort, INADDR_ANY);
    }
  }
  probe.Close();

  if (ok) {
    StartResponder(static_cast<WORD>(port & 0xFFFF));
    return TRUE;
  }

  if (!bServiceMode) {
    CCharString notice;
    notice.Format(kPortTakenNotice, port);
    BringToFront();
    Ask(notice, MB_OK);
  }
  pSettings->bResponseMode = FALSE;
  return FALSE;
}

CSorbel* CServerEngine::NewResponder() { return new CSorbel; }

void CServerEngine::StartResponder(WORD port) {
  CSorbel* p = NewResponder();
  p->pCtrl.Attach(this);
  p->nPort = port;
  p->bAutoDelete = TRUE;
  // In the slot before the thread runs, so a thread that ends at once finds
  // itself there. A thread that cannot start stays registered; stopping it
  // later frees it.
  InterlockedExchangePointer(Slot(&pResponder), p);
  p->Create(0);
  p->Resume();
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
