#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ie_proxy.h"
#include "core/registry_key.h"

namespace {

// The user's Internet Settings key of the test prefix; the proxy values and
// the key's access list are put back as they were at the end.
class SettingsKey {
 public:
  SettingsKey() {
    RegCreateKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, &dwCreated);
    for (Saved& v : saved) {
      v.bPresent = RegQueryValueExA(hKey, v.pszName, nullptr, &v.dwType, nullptr, &v.cbData) == ERROR_SUCCESS;
      v.data.resize(v.cbData + 1);
      if (v.bPresent) RegQueryValueExA(hKey, v.pszName, nullptr, &v.dwType, v.data.data(), &v.cbData);
    }
    DWORD cb = 0;
    RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, nullptr, &cb);
    security.resize(cb);
    bSecurity = cb > 0 && RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security.data(), &cb) == ERROR_SUCCESS;
  }
  ~SettingsKey() {
    // The handle keeps the full access it was opened with.
    if (bSecurity) RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, security.data());
    for (Saved& v : saved) {
      if (v.bPresent) {
        RegSetValueExA(hKey, v.pszName, 0, v.dwType, v.data.data(), v.cbData);
      } else {
        RegDeleteValueA(hKey, v.pszName);
      }
    }
    RegCloseKey(hKey);
    if (dwCreated == REG_CREATED_NEW_KEY) RegDeleteKeyA(HKEY_CURRENT_USER, kIESettingsKey);
  }
  void Number(const char* pszName, DWORD dw) {
    RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
  }
  void Text(const char* pszName, const char* pszText) {
    RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText), lstrlenA(pszText) + 1);
  }
  void Remove(const char* pszName) { RegDeleteValueA(hKey, pszName); }
  // Everyone may read the key (and change its access list back), not write it.
  bool DenyWrite() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID pEveryone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone)) return false;
    std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(pEveryone));
    PACL pAcl = reinterpret_cast<PACL>(acl.data());
    SECURITY_DESCRIPTOR sd;
    bool ok = InitializeAcl(pAcl, (DWORD)acl.size(), ACL_REVISION) &&
              AddAccessAllowedAce(pAcl, ACL_REVISION, KEY_READ | WRITE_DAC, pEveryone) &&
              InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
              SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE) &&
              RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    FreeSid(pEveryone);
    return ok;
  }

 private:
  struct Saved {
    const char* pszName;
    bool bPresent;
    DWORD dwType, cbData;
    std::vector<BYTE> data;
  } saved[2] = {{"ProxyEnable", false, 0, 0, {}}, {"ProxyServer", false, 0, 0, {}}};
  HKEY hKey = nullptr;
  DWORD dwCreated = 0;
  std::vector<BYTE> security;
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
  key.Text("ProxyServer", "http=host:8080;https=host:8443");  // returned as stored
  EXPECT_TRUE(GetIEProxy(s));
  EXPECT_STREQ("http=host:8080;https=host:8443", s);

  s = "untouched";
  key.Number("ProxyEnable", 0);
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);
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

  // A key the user may read but not write: the full-access open fails.
  key.Text("ProxyServer", "proxy.test:8080");
  ASSERT_TRUE(key.DenyWrite());
  HKEY hRead = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kIESettingsKey, 0, KEY_READ, &hRead));
  RegCloseKey(hRead);
  s = "untouched";
  EXPECT_FALSE(GetIEProxy(s));
  EXPECT_STREQ("untouched", s);
}

TEST(RegistryKey, OpenReadClose) {
  const char kScratch[] = "Software\\SuiteTests\\RegistryKey";
  CRegistryKey key;
  EXPECT_EQ(HKEY_CURRENT_USER, key.hRoot);
  EXPECT_FALSE(key.Open(kScratch, FALSE));  // missing, not created
  ASSERT_TRUE(key.Open(kScratch, TRUE));
  EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, key.dwDisposition);
  EXPECT_STREQ(kScratch, key.szPath);
  ASSERT_TRUE(key.Open(kScratch, TRUE));
  EXPECT_EQ((DWORD)REG_OPENED_EXISTING_KEY, key.dwDisposition);
  RegSetValueExA(key.hKey, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4);
  RegSetValueExA(key.hKey, "raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>("xyz"), 3);  // no terminator
  DWORD dw = 7;
  RegSetValueExA(key.hKey, "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), 4);

  CCharString s("keep");
  EXPECT_EQ(4, key.ReadText("text", s));
  EXPECT_STREQ("abc", s);
  EXPECT_EQ(3, key.ReadText("raw", s));
  EXPECT_STREQ("xyz", s);
  EXPECT_EQ(0, key.ReadText("missing", s));
  EXPECT_STREQ("xyz", s);
  EXPECT_EQ(7u, key.ReadNumber("n", 1));
  EXPECT_EQ(1u, key.ReadNumber("text", 1));  // not a number
  EXPECT_EQ(1u, key.ReadNumber("missing", 1));

  EXPECT_TRUE(key.Close());
  EXPECT_FALSE(key.Close());
  EXPECT_EQ(1u, key.ReadNumber("n", 1));
  EXPECT_FALSE(key.Open(std::string(600, 'k').c_str(), TRUE));  // longer than the path buffer
  RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SuiteTests");
}
