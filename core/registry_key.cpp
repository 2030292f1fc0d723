#include "core/registry_key.h"

#include <string.h>

#include <memory>
#include <new>

CRegistryKey::CRegistryKey(HKEY hRootKey) : hRoot(hRootKey), hKey(NULL), dwDisposition(0) { szPath[0] = 0; }

CRegistryKey::~CRegistryKey() { Close(); }

void CRegistryKey::SetRoot(HKEY hRootKey) {
  Close();
  hRoot = hRootKey;
  szPath[0] = 0;
  dwDisposition = 0;
}

BOOL CRegistryKey::Open(const char* pszPath, BOOL bCreate) {
  Close();
  if (pszPath == NULL || lstrlenA(pszPath) > kMaxPath) return FALSE;
  HKEY hOpened = NULL;
  LONG nError;
  if (bCreate) {
    nError = RegCreateKeyExA(hRoot, pszPath, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &hOpened,
                             &dwDisposition);
  } else {
    nError = RegOpenKeyExA(hRoot, pszPath, 0, KEY_ALL_ACCESS, &hOpened);
  }
  if (nError != ERROR_SUCCESS) return FALSE;
  hKey = hOpened;
  lstrcpyA(szPath, pszPath);
  return TRUE;
}

DWORD CRegistryKey::ReadNumber(const char* pszName, DWORD dwDefault) {
  if (hKey == NULL) return dwDefault;
  DWORD dwValue = 0, dwType = 0, cbData = sizeof(dwValue);
  if (RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbData) != ERROR_SUCCESS) {
    return dwDefault;
  }
  if (dwType != REG_DWORD && dwType != REG_BINARY) return dwDefault;
  return dwValue;
}

int CRegistryKey::ReadText(const char* pszName, CCharString& sOut) {
  if (hKey == NULL) return 0;
  DWORD dwType = 0, cbSize = 0;
  if (RegQueryValueExA(hKey, pszName, NULL, &dwType, NULL, &cbSize) != ERROR_SUCCESS) return 0;
  if (cbSize > static_cast<DWORD>(CCharString::kMaxSize)) return 0;
  // One byte more, so that the text always ends, however it was stored.
  std::unique_ptr<char[]> pBuffer(new (std::nothrow) char[cbSize + 1]);
  if (!pBuffer) return 0;
  memset(pBuffer.get(), 0, cbSize + 1);
  DWORD cbRead = cbSize;
  if (RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(pBuffer.get()), &cbRead) !=
      ERROR_SUCCESS) {
    return 0;
  }
  if (!sOut.Assign(pBuffer.get())) return 0;
  return static_cast<int>(cbSize);
}

BOOL CRegistryKey::Close() {
  if (hKey == NULL) return FALSE;
  LONG nError = RegCloseKey(hKey);
  hKey = NULL;
  return nError == ERROR_SUCCESS;
}
