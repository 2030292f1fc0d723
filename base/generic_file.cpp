#include "base/generic_file.h"

CGenericFile::CGenericFile() : bEOF(FALSE) {}

CGenericFile::~CGenericFile() {}

BOOL CGenericFile::IsEOF() const { return bEOF; }

BOOL CGenericFile::SetLength(int nNewLength) {
  int nOldPosition = GetPosition();
  if (!Seek(nNewLength, seekBegin)) return FALSE;
  BOOL bTruncated = Truncate();
  int nBack = nNewLength < nOldPosition ? nNewLength : nOldPosition;
  if (!Seek(nBack, seekBegin)) return FALSE;
  return bTruncated;
}
