#include "client/broadcast_reception.h"

#include <winsock.h>

#include "client/sys/elevation_notice.h"
#include "client/sys/os_version.h"
#include "client/sys/shell_start.h"
#include "core/udp_socket.h"

namespace {
const WORD kNtpPort = 123;
const char kPort123Question[] =
    "NTP配信の受信ポート番号[%d]が使用できません。\n\n"
    "[Windows Time サービス]と重複利用している可能性がありますので、\n"
    "[Windows Time サービス]を一時停止します";
const char kPortTakenNotice[] =
    "NTP配信の受信ポート番号[%d]が使用できません。\n\n"
    "※他のアプリが使用しています\n(利用するにはアプリを停止させてください)";
const char kElevationPrefix[] = "Windows Time サービスの停止には";
const char kElevationProgram[] = "Windowsコマンドプロセッサ";
const char kCommand[] = "cmd.exe";
const char kStopTimeService[] = "/c net stop w32time";
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

int CBroadcastReception::Ask(const char* format, WORD port, UINT type) {
  if (bServiceMode || !pPrompt) return IDNO;
  char text[512];
  wsprintfA(text, format, static_cast<int>(port));
  return pPrompt->MessageBox(text, type);
}

void CBroadcastReception::StartRecver(WORD port) {
  CNTPRecver* recver = NewRecver();
  recver->pDest = &slotBroadcast;
  recver->nPort = port;
  recver->pClient.Attach(this);
  recver->bAutoDelete = TRUE;
  InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pRecver), recver);
  // A listener that cannot start stays registered until it is switched off.
  recver->Create(0);
  recver->Resume();
}

void CBroadcastReception::StopRecver() {
  // Taking the listener out of the slot decides who lets go of it: if it
  // ended by itself first, the slot is already empty and it is gone.
  CNTPRecver* recver = static_cast<CNTPRecver*>(
      InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&pRecver), nullptr));
  if (!recver) return;
  recver->pClient.Detach();
  recver->Stop();
}

BOOL CBroadcastReception::EnableBroadcastRecv(BOOL bOn) {
  if (!bOn) {
    StopRecver();
    return TRUE;
  }
  if (pRecver) return TRUE;

  WORD port = pSettings->nBroadcastRecvPortNo;
  CUDPSocket probe;
  BOOL ok = probe.Create(SOCK_DGRAM) && probe.Bind(port, 0);
  // Where the system's time service may hold the NTP port, it is stopped
  // and the port tried again. Systems without that service (Windows 9x)
  // get the plain notice.
  if (!ok && port == kNtpPort && IsNTFamily()) {
    BOOL bStop = bServiceMode;
    if (!bServiceMode && Ask(kPort123Question, port, MB_YESNO) == IDYES) {
      if (!ConfirmElevation(pPrompt, kElevationPrefix, kElevationProgram, nullptr)) {
        probe.Close();
        return FALSE;
      }
      bStop = TRUE;
    }
    if (bStop) {
      RunAndWait(kCommand, kStopTimeService, INFINITE);
      ok = probe.Bind(kNtpPort, 0);
    }
  }
  probe.Close();

  if (ok) {
    StartRecver(port);
    return TRUE;
  }
  Ask(kPortTakenNotice, port, MB_OK);
  pSettings->bBroadcastRecv = FALSE;
  return FALSE;
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
