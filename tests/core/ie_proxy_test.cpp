#include "core/ie_proxy.h"
#include "core/registry_key.h"
#include "support/suite.h"

#include <sddl.h>  // after windows.h

namespace {
// The user's Internet Settings key; its access list is put back and the proxy values removed at the end
// through the full-access handle, which keeps its rights whatever the list says meanwhile.
class SettingsKey {
 public:
  SettingsKey() {
    RegCreateKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    DWORD cb = sizeof(security);
    RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security, &cb);
  }
  ~SettingsKey() {
    RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security);
    RegDeleteValueA(hKey, "ProxyEnable");
    RegDeleteValueA(hKey, "ProxyServer");
    RegCloseKey(hKey);
  }
  void Number(const char* pszName, DWORD dw) {
    RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
  }
  void Text(const char* pszName, const char* pszText) {
    RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText), lstrlenA(pszText) + 1);
  }
  // Everyone may read the key, nobody may write it.
  bool OnlyReadable() {
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &pSD, nullptr))
      return false;
    bool ok = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSD) == ERROR_SUCCESS;
    LocalFree(pSD);
    return ok;
  }
  HKEY hKey = nullptr;

 private:
  BYTE security[4096];
};
}  // namespace

TEST(IEProxy, ReadsTheUserSettingsAndNeedsAWritableKey) {
  SettingsKey key;
  CCharString s("untouched");
  key.Number("ProxyEnable", 1);
  key.Text("ProxyServer", "proxy.test:8080");
  EXPECT_TRUE(GetIEProxy(s));
  EXPECT_STREQ("proxy.test:8080", s);
  s = "untouched";
  key.Number("ProxyEnable", 0xFFFFFFFF);  // -1: not above 0
  EXPECT_FALSE(GetIEProxy(s));
  RegDeleteValueA(key.hKey, "ProxyEnable");
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);
  key.Number("ProxyEnable", 1);
  RegDeleteValueA(key.hKey, "ProxyServer");
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("", s);
  // Readable but not writable: the full-access open fails (Wine enforces registry access lists).
  key.Text("ProxyServer", "proxy.test:8080");
  ASSERT_TRUE(key.OnlyReadable());
  HKEY hRead = nullptr;  // reading alone is still allowed
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, KEY_READ, &hRead));
  RegCloseKey(hRead);
  s = "untouched";
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);
}

TEST(RegistryKey, ATextWithoutTerminatorAndAnOverlongPath) {
  CRegistryKey key;
  ASSERT_TRUE(key.Open("Software\\SuiteTests", TRUE));
  RegSetValueExA(key.hKey, "raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>("xyz"), 3);
  CCharString s;
  EXPECT_EQ(3, key.ReadText("raw", s));
  EXPECT_STREQ("xyz", s);
  EXPECT_FALSE(key.Open(std::string(513, 'k').c_str(), TRUE));  // longer than the path buffer
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SuiteTests");
}
