#pragma once
// What a correction run of the client leaves and reads: its line goes into
// the action log (with the current bSaveLog, the new entry selected), and
// HTTP runs take the proxy from the settings.
#include "client/action_log.h"
#include "client/client_settings.h"
#include "core/correction_host.h"

class CClientCorrectionHost : public CCorrectionHost {
 public:
  // Neither is owned; both outlive the host.
  CClientCorrectionHost(CActionLog* log, const CClientSettings* settings)
      : pLog(log), pSettings(settings) {}

  void ReportCorrection(const CCharString& line, int kind) override;
  BOOL GetHttpProxy(CCharString* proxy) override;

 private:
  CActionLog* pLog;
  const CClientSettings* pSettings;
};
