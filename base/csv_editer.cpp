#include "base/csv_editer.h"

#include "base/cache_reader.h"
#include "base/csv_reader.h"
#include "base/file_reader.h"
#include "base/file_writer.h"
#include "base/replacing_file_writer.h"

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

namespace {

// Bytes of the file that the reading has taken: what the disk file handed
// out minus what still waits in the cache.
int TakenBytes(const CFileReader& file, const CCacheReader& cache) {
  int nPosition = file.pFile ? file.pFile->GetPosition() : -1;
  return nPosition < 0 ? -1 : nPosition - (cache.nCacheCount - cache.nCachePos);
}

}  // namespace

BOOL CCSVEditer::Load(const char* pszName) {
  if (!restUnread.IsEmpty()) return FALSE;
  CFileReader file;
  CCacheReader cache(&file, 1024);
  CCSVReader reader(&cache);
  if (!file.Open(pszName)) return FALSE;
  CCharString sText;
  for (;;) {
    int nRecordStart = TakenBytes(file, cache);
    if (!reader.ReadRow() || pLines->Add(reader.GetRowText(sText)) < 0) {
      restUnread.Take(file.pFile, nRecordStart);
      break;
    }
  }
  sFileName = pszName;
  return TRUE;
}

BOOL CCSVEditer::Save(const char* pszName) {
  if (restUnread.IsLost()) return FALSE;
  CReplacingFileWriter writer;
  if (!writer.Create(pszName)) return FALSE;
  int nCount = GetLineCount();
  for (int i = 0; i < nCount; ++i) {
    CCharString sRecord = pLines->GetAt(i);
    CCharString sLine = sRecord + "\r\n";
    if (sLine.GetLength() != sRecord.GetLength() + 2) return FALSE;  // too long for a string
    if (writer.Write(sLine, sLine.GetLength()) != sLine.GetLength()) return FALSE;
  }
  if (!restUnread.WriteTo(&writer)) return FALSE;
  return writer.Commit();
}
