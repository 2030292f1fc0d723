#pragma once
// A registry key opened under a root key, closed when the object goes.
#include <windows.h>

#include "base/char_string.h"

class CRegistryKey {
 public:
  enum { kMaxPath = 512 };

  explicit CRegistryKey(HKEY hRootKey = HKEY_CURRENT_USER);
  ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Closes any open key and forgets its path.
  void SetRoot(HKEY hRootKey);
  // Opens (or with bCreate creates) the sub-key with full access, closing
  // the key held before. A path longer than kMaxPath is refused.
  BOOL Open(const char* pszPath, BOOL bCreate);
  // The value as a 32-bit number (REG_DWORD or up to 4 bytes of REG_BINARY),
  // or dwDefault when it cannot be read.
  DWORD ReadNumber(const char* pszName, DWORD dwDefault);
  // The value as text (cut at its first zero byte); the size in bytes the
  // registry reports, 0 on failure (sOut unchanged then).
  int ReadText(const char* pszName, CCharString& sOut);
  BOOL Close();

  HKEY hRoot;
  HKEY hKey;  // NULL when closed
  char szPath[kMaxPath + 1];
  DWORD dwDisposition;
};
