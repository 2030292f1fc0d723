#include "client/broadcast_reception.h"

#include <winsock.h>

#include "client/sys/elevation_notice.h"

namespace {
const char kPort123Question[] =
    "NTP配信の受信ポート番号[%d]が使用できません。\n\n"
    "[Windows Time サービス]と重複利用している可能性がありますので、\n"
    "[Windows Time サービス]を一時停止します";
const char kPortTakenNotice[] =
    "NTP配信の受信ポート番号[%d]が使用できません。\n\n"
    "※他のアプリが使用しています\n(利用するにはアプリを停止させてください)";
const char kWordBroadcast[] = "配信";
const int kServerTextSize = 100;
}  // namespace

CBroadcastReception::CBroadcastReception(CClientSettings* settings, CTimeCorrection* correction,
                                         CUserPrompt* prompt, HWND window)
    : bServiceMode(FALSE),
      pSettings(settings),
      pCorrection(correction),
      pPrompt(prompt),
      hWindow(window) {
  pktBroadcast.InitRequest();
}

CBroadcastReception::~CBroadcastReception() { StopRecver(); }

CNTPRecver* CBroadcastReception::NewRecver() { return new CNTPRecver; }

int CBroadcastReception::AskUser(const char* text, UINT type) {
  return pPrompt ? pPrompt->MessageBox(text, type) : IDNO;
}

BOOL CBroadcastReception::ConfirmElevation(const char* prefix, const char* program,
                                           const char* note) {
  return ::ConfirmElevation(pPrompt, prefix, program, note);
}

void CBroadcastReception::StartRecver(WORD port) {
  CNTPRecver* recver = NewRecver();
  recver->pDest = &slotBroadcast;
  recver->nPort = port;
  pRecver.Start(recver, &CNTPRecver::pClient, static_cast<CNTPRecverClient*>(this));
}

void CBroadcastReception::StopRecver() { pRecver.Stop(&CNTPRecver::pClient); }

BOOL CBroadcastReception::EnableBroadcastRecv(BOOL bOn) {
  if (!bOn) {
    StopRecver();
    return TRUE;
  }
  if (pRecver.Get()) return TRUE;

  WORD port = pSettings->nBroadcastRecvPortNo;
  switch (ProbeUdpPort(port, kPort123Question, kPortTakenNotice, bServiceMode, this)) {
    case kPortFree:
      StartRecver(port);
      return TRUE;
    case kPortDeclined:
      return FALSE;
    default:
      pSettings->bBroadcastRecv = FALSE;
      return FALSE;
  }
}

LRESULT CBroadcastReception::OnNtpBroadcast(WPARAM, LPARAM) {
  // The copy names its own sender: when messages pile up, the newest copy
  // is judged once and later messages find the slot empty.
  NTP_BROADCAST received;
  if (!slotBroadcast.Take(&received)) return 0;
  pktBroadcast = received.packet;

  in_addr address;
  address.s_addr = received.dwAddress;
  const char* dotted = inet_ntoa(address);
  char server[kServerTextSize];
  lstrcpynA(server, dotted ? dotted : "", kServerTextSize);

  // The arrival time goes into Originate, so the judged offset is arrival
  // minus the server's Transmit Timestamp.
  NTP_TIMESTAMP sent = pktBroadcast.tsTransmit;
  pktBroadcast.SetTransmitTime();
  pktBroadcast.tsOriginate = pktBroadcast.tsTransmit;
  pktBroadcast.tsTransmit = sent;

  // A broadcast of an unsynchronised or broken server is logged as failed
  // and never sets the clock.
  pCorrection->FinishUnasked(kWordBroadcast, pktBroadcast, server, pSettings->nAllowance);
  return 0;
}
