#include "base/csv_reader.h"

#include <new>

#include "base/disk_file.h"

CCSVReader::CCSVReader(CStreamReader* pStreamReader) : CCSVFile(modeRead), pStream(pStreamReader) {}

CCSVReader::~CCSVReader() { Close(); }

CStreamReader* CCSVReader::Source() const { return pStream ? pStream : pFileCache.get(); }

BOOL CCSVReader::ReadRow() {
  if (IsEOF()) return FALSE;
  return CCSVRowIF::ReadRow();
}

BOOL CCSVReader::IsEOF() const {
  CStreamReader* pSource = Source();
  return pSource ? pSource->IsEOF() : TRUE;
}

BOOL CCSVReader::ReadLine(CCharString& sOut) {
  CStreamReader* pSource = Source();
  if (pSource == NULL || !pSource->ReadLine()) return FALSE;
  sOut = pSource->GetLine();
  return TRUE;
}

BOOL CCSVReader::Open(const char* pszName) {
  Close();
  if (!CCSVFile::Open(pszName)) return FALSE;
  pFileReader.reset(new (std::nothrow) CFileReader(static_cast<CDiskFile*>(pInner)));
  if (pFileReader) pFileCache.reset(new (std::nothrow) CCacheReader(pFileReader.get()));
  return pFileCache != nullptr;
}

BOOL CCSVReader::Close() {
  // The readers go first: they point into the disk file.
  pFileCache.reset();
  pFileReader.reset();
  return CCSVFile::Close();
}
