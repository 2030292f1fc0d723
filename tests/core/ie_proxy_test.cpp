#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "core/ie_proxy.h"
#include "core/registry_key.h"

namespace {

// The user's Internet Settings key of the test prefix. The proxy values and
// the key's access list are put back at the end through the full-access
// handle, which keeps its rights whatever the list says meanwhile.
class SettingsKey {
 public:
  SettingsKey() {
    RegCreateKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    for (Saved& v : saved) {
      v.data.resize(4096);
      DWORD cb = (DWORD)v.data.size();
      v.bPresent = RegQueryValueExA(hKey, v.pszName, nullptr, &v.dwType, v.data.data(), &cb) == ERROR_SUCCESS;
      v.data.resize(cb);
    }
    DWORD cb = sizeof(security);
    bSecurity = RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security, &cb) == ERROR_SUCCESS;
  }
  ~SettingsKey() {
    if (bSecurity) RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security);
    for (Saved& v : saved) {
      if (!v.bPresent) RegDeleteValueA(hKey, v.pszName);
      if (v.bPresent) RegSetValueExA(hKey, v.pszName, 0, v.dwType, v.data.data(), (DWORD)v.data.size());
    }
    RegCloseKey(hKey);
  }
  void Number(const char* pszName, DWORD dw) {
    RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
  }
  void Text(const char* pszName, const char* pszText) {
    RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText), lstrlenA(pszText) + 1);
  }
  void Remove(const char* pszName) { RegDeleteValueA(hKey, pszName); }
  // Everyone may read the key, nobody may write it.
  bool OnlyReadable() {
    PSECURITY_DESCRIPTOR pSD = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KR;;;WD)", SDDL_REVISION_1, &pSD, nullptr)) {
      return false;
    }
    bool ok = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSD) == ERROR_SUCCESS;
    LocalFree(pSD);
    return ok;
  }

 private:
  struct Saved {
    const char* pszName;
    bool bPresent;
    DWORD dwType;
    std::vector<BYTE> data;
  } saved[2] = {{"ProxyEnable", false, 0, {}}, {"ProxyServer", false, 0, {}}};
  HKEY hKey = nullptr;
  BYTE security[4096];
  bool bSecurity = false;
};

}  // namespace

TEST(IEProxy, ReadsTheUserSettings) {
  SettingsKey key;
  CCharString s("untouched");
  key.Number("ProxyEnable", 1);
  key.Text("ProxyServer", "proxy.test:8080");
  EXPECT_TRUE(GetIEProxy(s));
  EXPECT_STREQ("proxy.test:8080", s);

  s = "untouched";
  key.Number("ProxyEnable", 0);
  EXPECT_FALSE(GetIEProxy(s));
  key.Number("ProxyEnable", 0xFFFFFFFF);  // -1: not above 0
  EXPECT_FALSE(GetIEProxy(s));
  key.Remove("ProxyEnable");
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);

  key.Number("ProxyEnable", 1);
  key.Text("ProxyServer", "");
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("", s);
  s = "untouched";
  key.Remove("ProxyServer");
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("", s);

  // Readable but not writable: the full-access open fails. (Wine enforces
  // registry access lists, so this is the real refusal, not a stand-in.)
  key.Text("ProxyServer", "proxy.test:8080");
  ASSERT_TRUE(key.OnlyReadable());
  HKEY hRead = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, KEY_READ, &hRead));
  RegCloseKey(hRead);
  s = "untouched";
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);
}

TEST(RegistryKey, CreateReadAndRefuse) {
  const char kScratch[] = "Software\\SuiteTests";
  CRegistryKey key;
  EXPECT_FALSE(key.Open(kScratch, FALSE));
  ASSERT_TRUE(key.Open(kScratch, TRUE));
  EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, key.dwDisposition);
  RegSetValueExA(key.hKey, "raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>("xyz"), 3);  // no terminator
  CCharString s;
  EXPECT_EQ(3, key.ReadText("raw", s));
  EXPECT_STREQ("xyz", s);
  EXPECT_EQ(0, key.ReadText("missing", s));
  EXPECT_STREQ("xyz", s);
  EXPECT_EQ(9u, key.ReadNumber("missing", 9));
  EXPECT_FALSE(key.Open(std::string(513, 'k').c_str(), TRUE));  // longer than the path buffer
  EXPECT_FALSE(key.Close());
  RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
}
