// The server-list files: reading with the fallbacks, writing the list.
#include "base/csv_editer.h"
#include "base/csv_writer.h"
#include "base/replacing_file_writer.h"
#include "client/client_settings.h"

namespace {

// A comment row begins with "#" as written; a name that begins with "#" is
// written in double quotes and is an entry.
bool IsCommentRow(const CCharString& sRow) { return static_cast<const char*>(sRow)[0] == '#'; }

// The row of one entry: a name that would read as a comment is quoted.
CCharString EntryRow(CCSVRowIF& row, const char* pszName, const char* pszHost) {
  row.SetRowV(2, pszName, pszHost);
  if (!IsCommentRow(row.sRow)) return row.sRow;
  // Unquoted, the name holds no blank, comma or double quote to escape.
  return "\"" + CCharString(pszName) + "\"" + (static_cast<const char*>(row.sRow) + lstrlenA(pszName));
}

}  // namespace

BOOL ReadServerListFile(const char* pszPath, const char* pszProtocolName, CServerList* pList,
                        CUnreadRest* pRest) {
  CCSVEditer doc;
  if (!doc.Load(pszPath)) return FALSE;
  if (pRest != nullptr) *pRest = doc.restUnread;
  while (doc.ReadRow()) {
    const char* pszName = doc.GetFieldPtr(0);
    const char* pszHost = doc.GetFieldPtr(1);
    if (pszName == nullptr || pszHost == nullptr || IsCommentRow(doc.sRow)) continue;
    NTP_SERVER_INFO* pEntry = new (std::nothrow) NTP_SERVER_INFO(pszProtocolName, pszName, pszHost);
    if (pEntry == nullptr) break;
    if (pList->AddItem(pEntry) < 0) {
      delete pEntry;
      break;
    }
  }
  return TRUE;
}

bool CClientConfig::ReadServerFile(const char* pszName, CServerList* pList, CUnreadRest* pRest) {
  if (pList == nullptr) return false;
  // An existing file in the data folder counts even when it is empty.
  if (!ReadServerListFile(sDataFolder + pszName, GetProtocolPrefix(), pList, pRest)) {
    ReadServerListFile(sModuleFolder + pszName, GetProtocolPrefix(), pList, pRest);
  }
  return pList->GetCount() > 0;
}

BOOL CClientConfig::LoadServerList(BOOL bReset) {
  CServerList* pList = GetServerList();
  CCharString sPrefix(GetProtocolPrefix());
  if (bReset) pList->DeleteAll();
  // What the list file holds beyond what could be read goes back into it
  // at the next write, also when the factory list is shown instead.
  restServerList.Clear();
  if (!ReadServerFile(sPrefix + "_server.txt", pList, &restServerList)) {
    ReadServerFile(sPrefix + "_server.org", pList);
  }
  if (bReset) pList->SetSelection(0);
  return 1;
}

BOOL CClientConfig::WriteServerList(const char* pszPath) {
  // Without the part of the file that could not be read, the write would
  // destroy it: the file stays as it is.
  if (restServerList.IsLost()) return FALSE;
  CReplacingFileWriter file;
  if (!file.Create(pszPath)) return FALSE;
  CCSVWriter writer(&file);
  CServerList* pList = GetServerList();
  for (int i = 0; i < pList->GetCount(); ++i) {
    NTP_SERVER_INFO* pEntry = pList->GetAt(i);
    writer.sRow = EntryRow(writer, pEntry->sName, pEntry->sHost);
    // A row that cannot be written keeps the previous file whole.
    if (!writer.WriteRow()) return FALSE;
  }
  if (!restServerList.WriteTo(&file)) return FALSE;
  return file.Commit();
}
