#include "core/ie_proxy.h"

#include "core/registry_key.h"

BOOL GetIEProxy(CCharString& sProxy) {
  CRegistryKey key(HKEY_CURRENT_USER);
  if (!key.Open(kIESettingsKey, FALSE)) return FALSE;
  BOOL bFound = FALSE;
  if (static_cast<LONG>(key.ReadNumber("ProxyEnable", 0)) > 0) {
    sProxy = "";
    key.ReadText("ProxyServer", sProxy);
    bFound = !sProxy.IsEmpty();
  }
  key.Close();
  return bFound;
}
