#include "server/server_settings.h"

#include <winsock.h>

#include "client/sys/module_folder.h"

namespace {

const char kNtpSection[] = "NTPCONFIG";
const char kServerSection[] = "SORBEL";

CServerSettings* g_pSettings = nullptr;

int ReadInt(const char* section, const char* key, int def, const char* path) {
  return static_cast<int>(GetPrivateProfileIntA(section, key, def, path));
}

CCharString ReadText(const char* section, const char* key, const char* def, const char* path) {
  char buffer[CServerSettings::kValueBufferSize];
  buffer[0] = 0;
  GetPrivateProfileStringA(section, key, def, buffer, sizeof(buffer), path);
  buffer[sizeof(buffer) - 1] = 0;
  return CCharString(buffer);
}

BOOL ReadSwitch(const char* section, const char* key, const char* def, const char* path) {
  return ReadText(section, key, def, path).Compare("ON", TRUE) == 0 ? TRUE : FALSE;
}

void WriteInt(const char* section, const char* key, int value, const char* path) {
  CCharString text;
  text.Format("%d", value);
  WritePrivateProfileStringA(section, key, text, path);
}

}  // namespace

const char* const CServerSettings::kFileName = "SORBEL.INI";

CServerSettings* GetServerSettings() { return g_pSettings; }
void SetServerSettings(CServerSettings* pSettings) { g_pSettings = pSettings; }

CServerSettings::CServerSettings(const char* pszPath)
    : nNtpPort(123),
      nStratum(4),
      sRefId("127.0.0.1"),
      bResponseMode(TRUE),
      bBroadcastMode(FALSE),
      nBroadcastSpanSec(7200),
      nBroadcastPort(123),
      dwBroadcastAddr(INADDR_NONE),
      bDirty(FALSE) {
  LoadSettings(pszPath);
  sIniPath = pszPath;
  bDirty = TRUE;
}

CServerSettings::~CServerSettings() {
  if (bDirty && !sIniPath.IsEmpty()) SaveSettings(sIniPath);
}

CCharString CServerSettings::GetDefaultPath() {
  char folder[MAX_PATH];
  if (!GetModuleFolder(folder)) return CCharString();
  return CCharString(folder) + kFileName;
}

BOOL CServerSettings::LoadSettings(const char* pszPath) {
  nStratum = ReadInt(kNtpSection, "STRATUM", 4, pszPath);
  // Only 0 and 1 name a reference clock by code; the unsigned view keeps
  // negative strata on the address side.
  const char* refIdDefault = static_cast<unsigned>(nStratum) <= 1 ? "RAVO" : "127.0.0.1";
  sRefId = ReadText(kNtpSection, "REFID", refIdDefault, pszPath);
  nNtpPort = ReadInt(kNtpSection, "NTP_PORT", 123, pszPath);
  bResponseMode = ReadSwitch(kServerSection, "MODE_NTP_RESPONSE", "ON", pszPath);
  bBroadcastMode = ReadSwitch(kServerSection, "MODE_NTP_BROADCAST", "OFF", pszPath);
  // Signed: a negative span is no interval either and gets the minimum.
  nBroadcastSpanSec = ReadInt(kServerSection, "BROADCAST_SPANSEC", 7200, pszPath);
  if (nBroadcastSpanSec < kMinBroadcastSpanSec) nBroadcastSpanSec = kMinBroadcastSpanSec;
  nBroadcastPort = ReadInt(kServerSection, "BROADCAST_NTPPORT", 123, pszPath);
  dwBroadcastAddr = inet_addr(ReadText(kServerSection, "BROADCAST_IPADDR", "255.255.255.255", pszPath));
  return TRUE;
}

BOOL CServerSettings::SaveSettings(const char* pszPath) {
  CCharString path = pszPath ? CCharString(pszPath) : sIniPath;
  WriteInt(kNtpSection, "STRATUM", nStratum, path);
  WritePrivateProfileStringA(kNtpSection, "REFID", sRefId, path);
  WriteInt(kNtpSection, "NTP_PORT", nNtpPort, path);
  WritePrivateProfileStringA(kServerSection, "MODE_NTP_RESPONSE", bResponseMode ? "ON" : "OFF", path);
  WritePrivateProfileStringA(kServerSection, "MODE_NTP_BROADCAST", bBroadcastMode ? "ON" : "OFF",
                             path);
  WriteInt(kServerSection, "BROADCAST_SPANSEC", nBroadcastSpanSec, path);
  WriteInt(kServerSection, "BROADCAST_NTPPORT", nBroadcastPort, path);
  in_addr address;
  address.s_addr = dwBroadcastAddr;
  const char* dotted = inet_ntoa(address);
  WritePrivateProfileStringA(kServerSection, "BROADCAST_IPADDR", dotted ? dotted : "255.255.255.255",
                             path);
  bDirty = FALSE;
  return TRUE;
}
