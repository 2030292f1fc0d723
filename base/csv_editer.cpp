#include "base/csv_editer.h"

#include "base/cache_reader.h"
#include "base/csv_reader.h"
#include "base/file_reader.h"
#include "base/file_writer.h"
#include "base/mbcs.h"

CCSVEditer::CCSVEditer() : pLines(&aLines) {}

CCSVEditer::~CCSVEditer() {}

BOOL CCSVEditer::SetRow(int nCount, const char* const* ppTexts) {
  if (!CCSVRowIF::SetRow(nCount, ppTexts)) return FALSE;
  return StoreReplace();
}

BOOL CCSVEditer::InsertRow(int nCount, const char* const* ppTexts) {
  if (!CCSVRowIF::SetRow(nCount, ppTexts)) return FALSE;
  return StoreInsert();
}

BOOL CCSVEditer::ReadRecord(CCharString& sOut) {
  if (nRow < 0 || nRow >= GetLineCount()) return FALSE;
  sOut = pLines->GetAt(nRow);
  return TRUE;
}

BOOL CCSVEditer::IsEOF() const { return nRow >= GetLineCount(); }

BOOL CCSVEditer::ReadLine(CCharString& sOut) {
  if (nRow < 0 || nRow >= GetLineCount()) return -1;
  sOut = pLines->GetAt(nRow);
  return 1;
}

// A cursor before the first line is refused rather than taken as the end.
BOOL CCSVEditer::StoreInsert() {
  if (IsEOF()) return pLines->Add(sRow) >= 0;
  return pLines->InsertAt(nRow, sRow);
}

BOOL CCSVEditer::StoreReplace() {
  if (IsEOF()) return pLines->Add(sRow) >= 0;
  if (nRow < 0) return FALSE;
  pLines->SetAt(nRow, sRow);
  return TRUE;
}

BOOL CCSVEditer::Load(const char* pszName) {
  CFileReader file;
  CCacheReader cache(&file, 1024);
  CCSVReader reader(&cache);
  if (!file.Open(pszName)) return FALSE;
  CCharString sText;
  while (reader.ReadRow()) {
    if (pLines->Add(reader.GetRowText(sText)) < 0) break;
  }
  sFileName = pszName;
  return TRUE;
}

namespace {

// The folder part of a file name ("." when it has none), for a temporary
// file beside it.
CCharString FolderOf(const char* pszName) {
  int nSlash = MbsFindLastByte(pszName, '\\');
  int nForward = MbsFindLastByte(pszName, '/');
  if (nForward > nSlash) nSlash = nForward;
  if (nSlash < 0) return CCharString(".");
  CCharString sName(pszName);
  // "C:\x" keeps its root; a bare "\x" means the root of the current drive.
  return sName.Left(nSlash == 0 || (nSlash == 2 && pszName[1] == ':') ? nSlash + 1 : nSlash);
}

}  // namespace

BOOL CCSVEditer::Save(const char* pszName) {
  if (pszName == NULL || *pszName == 0) return FALSE;
  char szTemp[MAX_PATH];
  if (GetTempFileNameA(FolderOf(pszName), "csv", 0, szTemp) == 0) return FALSE;
  BOOL bWritten = FALSE;
  {
    CFileWriter writer;
    if (writer.Create(szTemp)) {
      int nCount = GetLineCount();
      int i = 0;
      for (; i < nCount; ++i) {
        CCharString sRecord = pLines->GetAt(i);
        CCharString sLine = sRecord + "\r\n";
        if (sLine.GetLength() != sRecord.GetLength() + 2) break;  // too long for a string
        if (writer.Write(sLine, sLine.GetLength()) != sLine.GetLength()) break;
      }
      // The content must be on disk before it takes the old file's place.
      bWritten = i == nCount && FlushFileBuffers(writer.pFile->hFile) && writer.Close();
    }
  }
  if (bWritten && MoveFileExA(szTemp, pszName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return TRUE;
  DeleteFileA(szTemp);
  return FALSE;
}
