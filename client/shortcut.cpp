#include "client/shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/char_string.h"
#include "client/sys/folder_path.h"
#include "client/sys/system_api.h"

int CreateShortcut(const char* pszLinkPath, const char* pszTarget, const char* pszArguments,
                   const char* pszWorkingDir) {
  HRESULT hrInit = CoInitialize(nullptr);
  char szProgram[MAX_PATH] = "";
  if (pszTarget == nullptr) {
    DWORD dwLength = GetSystemApi()->GetModuleFileName(szProgram, MAX_PATH);
    szProgram[dwLength < MAX_PATH ? dwLength : 0] = '\0';
    pszTarget = szProgram;
  }
  int nResult = 0;
  IShellLinkA* pLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&pLink)))) {
    CCharString sFolder = pszWorkingDir != nullptr ? CCharString(pszWorkingDir) : GetFolderOfPath(pszTarget);
    pLink->SetPath(pszTarget);
    pLink->SetArguments(pszArguments != nullptr ? pszArguments : "");
    pLink->SetWorkingDirectory(sFolder);
    IPersistFile* pFile = nullptr;
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile)))) {
      WCHAR szWide[MAX_PATH] = L"";
      if (MultiByteToWideChar(CP_ACP, 0, pszLinkPath, -1, szWide, MAX_PATH) == 0) szWide[0] = L'\0';
      pFile->Save(szWide, TRUE);  // the result stands whatever Save says
      pFile->Release();
      nResult = 1;
    }
    pLink->Release();
  }
  if (SUCCEEDED(hrInit)) CoUninitialize();
  return nResult;
}
