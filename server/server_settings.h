#pragma once
// The time server's settings, kept in the profile file SORBEL.INI beside the
// program. Read once at start; written back at exit unless saved since.
#include <windows.h>

#include "base/char_string.h"

class CServerSettings {
 public:
  static const char* const kFileName;  // "SORBEL.INI"
  static constexpr int kMinBroadcastSpanSec = 1800;
  // Text values are read through a buffer of this size (198 characters kept).
  static constexpr int kValueBufferSize = 199;

  explicit CServerSettings(const char* pszPath);
  ~CServerSettings();
  CServerSettings(const CServerSettings&) = delete;
  CServerSettings& operator=(const CServerSettings&) = delete;

  // Always TRUE: a missing file or key gives its default.
  BOOL LoadSettings(const char* pszPath);
  // nullptr: sIniPath. Always TRUE (write failures are ignored); clears bDirty.
  BOOL SaveSettings(const char* pszPath = nullptr);

  // The program folder + "SORBEL.INI" (empty when the folder is unknown).
  static CCharString GetDefaultPath();

  int nNtpPort;
  int nStratum;
  CCharString sRefId;
  BOOL bResponseMode;
  BOOL bBroadcastMode;
  int nBroadcastSpanSec;
  int nBroadcastPort;
  DWORD dwBroadcastAddr;  // network order
  BOOL bDirty;
  CCharString sIniPath;
};

// The one settings object of the process (nullptr until the controller sets it).
CServerSettings* GetServerSettings();
void SetServerSettings(CServerSettings* pSettings);
