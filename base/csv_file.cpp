#include "base/csv_file.h"

#include <new>

#include "base/disk_file.h"

CCSVFile::CCSVFile(int nMode) : nOpenMode(nMode) {}

CCSVFile::~CCSVFile() {}

BOOL CCSVFile::Open(const char* pszName) {
  Close();
  bOwnsInner = TRUE;
  pInner = new (std::nothrow) CDiskFile;
  if (pInner == NULL) return FALSE;
  return pInner->Open(pszName, nOpenMode);
}
