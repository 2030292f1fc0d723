#pragma once
// The test both receivers make before they start: can the UDP port be bound?
// Where the port is the NTP port on the NT family, the system's Windows Time
// service may hold it; the user is asked (nobody is asked in service mode),
// the service is stopped with "net stop w32time" and the port tried again.
// The two receivers differ only in their texts and in their rules for
// asking about elevation, which the host supplies.
#include <windows.h>

class CPortProbeHost {
 public:
  virtual ~CPortProbeHost() {}
  // A message box of the program (MB_YESNO or MB_OK); IDYES, IDNO, IDOK...
  virtual int AskUser(const char* text, UINT type) = 0;
  // The program's elevation notice; TRUE when it may go on.
  virtual BOOL ConfirmElevation(const char* prefix, const char* program, const char* note) = 0;
  // Before each message of the probe: the program's window to the front.
  virtual void BringToFront() {}
};

enum PortProbeResult {
  kPortFree,      // bound (perhaps after the time service was stopped)
  kPortTaken,     // still taken; the notice was shown (not in service mode)
  kPortDeclined,  // the user declined the elevation: nothing else was shown
};

// questionFormat and takenFormat take the port as "%d".
PortProbeResult ProbeUdpPort(int port, const char* questionFormat, const char* takenFormat,
                             BOOL bServiceMode, CPortProbeHost* host);
