// The server-list files: reading with the fallbacks, writing the list.
#include "base/csv_editer.h"
#include "base/csv_writer.h"
#include "base/replacing_file_writer.h"
#include "client/client_settings.h"

BOOL ReadServerListFile(const char* pszPath, const char* pszProtocolName, CServerList* pList) {
  CCSVEditer doc;
  if (!doc.Load(pszPath)) return FALSE;
  while (doc.ReadRow()) {
    const char* pszName = doc.GetFieldPtr(0);
    const char* pszHost = doc.GetFieldPtr(1);
    if (pszName == nullptr || pszHost == nullptr || pszName[0] == '#') continue;
    NTP_SERVER_INFO* pEntry = new (std::nothrow) NTP_SERVER_INFO(pszProtocolName, pszName, pszHost);
    if (pEntry == nullptr) break;
    if (pList->AddItem(pEntry) < 0) {
      delete pEntry;
      break;
    }
  }
  return TRUE;
}

bool CClientConfig::ReadServerFile(const char* pszName, CServerList* pList) {
  if (pList == nullptr) return false;
  // An existing file in the data folder counts even when it is empty.
  if (!ReadServerListFile(sDataFolder + pszName, GetProtocolPrefix(), pList)) {
    ReadServerListFile(sModuleFolder + pszName, GetProtocolPrefix(), pList);
  }
  return pList->GetCount() > 0;
}

BOOL CClientConfig::LoadServerList(BOOL bReset) {
  CServerList* pList = GetServerList();
  CCharString sPrefix(GetProtocolPrefix());
  if (bReset) pList->DeleteAll();
  if (!ReadServerFile(sPrefix + "_server.txt", pList)) ReadServerFile(sPrefix + "_server.org", pList);
  if (bReset) pList->SetSelection(0);
  return 1;
}

BOOL CClientConfig::WriteServerList(const char* pszPath) {
  CReplacingFileWriter file;
  if (!file.Create(pszPath)) return FALSE;
  CCSVWriter writer(&file);
  CServerList* pList = GetServerList();
  for (int i = 0; i < pList->GetCount(); ++i) {
    NTP_SERVER_INFO* pEntry = pList->GetAt(i);
    // A row that cannot be written keeps the previous file whole.
    if (!writer.SetRowV(2, static_cast<const char*>(pEntry->sName), static_cast<const char*>(pEntry->sHost)) ||
        !writer.WriteRow()) {
      return FALSE;
    }
  }
  return file.Commit();
}
