#include "client/sys/port_probe.h"

#include "base/char_string.h"
#include "client/sys/os_version.h"
#include "client/sys/shell_start.h"
#include "core/udp_socket.h"

namespace {
const int kNtpPort = 123;
}  // namespace

PortProbeResult ProbeUdpPort(int port, const char* questionFormat, const char* takenFormat,
                             BOOL bServiceMode, CPortProbeHost* host) {
  // Only a test: the receiver binds its own socket.
  CUDPSocket probe;
  BOOL ok = probe.Create(SOCK_DGRAM) && probe.Bind(port, INADDR_ANY);
  // Systems without the time service (Windows 9x) get the plain notice.
  if (!ok && port == kNtpPort && IsNTFamily()) {
    CCharString question;
    question.Format(questionFormat, port);
    host->BringToFront();
    bool bStop = true;
    if (!bServiceMode) {
      bStop = host->AskUser(question, MB_YESNO) == IDYES;
      if (bStop && !host->ConfirmElevation("Windows Time サービスの停止には",
                                           "Windowsコマンドプロセッサ", nullptr)) {
        return kPortDeclined;
      }
    }
    if (bStop) {
      RunAndWait("cmd.exe", "/c net stop w32time", INFINITE);
      ok = probe.Bind(kNtpPort, INADDR_ANY);
    }
  }
  if (ok) return kPortFree;
  if (!bServiceMode) {
    CCharString notice;
    notice.Format(takenFormat, port);
    host->BringToFront();
    host->AskUser(notice, MB_OK);
  }
  return kPortTaken;
}
