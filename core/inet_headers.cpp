#include "core/inet_headers.h"

#include <string.h>

#include "base/mbcs.h"
#include "base/memory_file.h"

namespace {
// Appends to the gathered header. The block at least doubles when it grows,
// so that long runs of continuation lines are not copied again for every line.
BOOL AppendGathered(CMemoryFile* pLast, const char* pBytes, int nCount) {
  int nLength = pLast->GetLength();
  if ((long long)nLength + nCount > CCharString::kMaxSize) return FALSE;
  if (nLength + nCount > pLast->GetCapacity()) {
    long long nNew = 2LL * pLast->GetCapacity();
    if (nNew < nLength + nCount) nNew = nLength + nCount;
    if (nNew > CCharString::kMaxSize) nNew = CCharString::kMaxSize;
    if (!pLast->Reserve((int)nNew)) return FALSE;
  }
  return pLast->Write(pBytes, nCount) == nCount;
}
}  // namespace

CInetHeaders::~CInetHeaders() {}

BOOL CInetHeaders::ParseHeaders(CStreamReader* pReader) {
  if (pReader == NULL) return FALSE;
  // The last header is gathered here until the next one starts.
  CMemoryFile last;
  last.SetGrowth(CCharString::kGrowBy, CCharString::kMaxSize);
  if (!last.Open(NULL, CGenericFile::modeReadWrite)) return FALSE;
  BOOL bHaveLast = FALSE;
  auto restart = [&](const char* pszText) -> BOOL {
    last.SetLength(0);
    last.Seek(0, CGenericFile::seekBegin);
    bHaveLast = TRUE;
    return AppendGathered(&last, pszText, lstrlenA(pszText));
  };
  auto flush = [&]() -> BOOL {
    if (!bHaveLast) return TRUE;
    bHaveLast = FALSE;
    return Add(CCharString(last.GetBuffer(-1))) >= 0;
  };
  for (;;) {
    if (!pReader->ReadLine()) {
      flush();
      return FALSE;
    }
    const char* pszLine = pReader->GetLine();
    if (*pszLine == 0) return flush();
    if ((*pszLine == ' ' || *pszLine == '\t') && (bHaveLast || GetCount() > 0)) {
      if (!bHaveLast) {
        BOOL bTaken = restart(GetAt(GetCount() - 1));
        RemoveAt(GetCount() - 1);
        if (!bTaken) return FALSE;
      }
      CCharString sMore(pszLine);
      sMore.Trim();
      if (!AppendGathered(&last, sMore, sMore.GetLength())) return FALSE;
    } else {
      if (!flush() || !restart(pszLine)) return FALSE;
    }
  }
}

BOOL CInetHeaders::WriteHeaders(CStreamWriter* pStream) {
  if (pStream == NULL) return FALSE;
  int nCount = GetCount();
  for (int i = 0; i < nCount; ++i) {
    CCharString sLine = GetAt(i);
    if (!pStream->WriteAll(sLine, sLine.GetLength()) || !pStream->WriteAll("\r\n", 2)) return FALSE;
  }
  return TRUE;
}

int CInetHeaders::FindHeader(const char* pszName, int nFirst) const {
  if (pszName == NULL || nFirst < 0) return -1;
  int nName = lstrlenA(pszName);
  int nCount = GetCount();
  for (int i = nFirst; i < nCount; ++i) {
    CCharString sLine = GetAt(i);
    if (sLine.GetLength() > nName && static_cast<const char*>(sLine)[nName] == ':' && _strnicmp(sLine, pszName, (size_t)nName) == 0) {
      return i;
    }
  }
  return -1;
}

CCharString CInetHeaders::GetHeaderValue(int nIndex, BOOL bWhole) const {
  if (nIndex < 0 || nIndex >= GetCount()) return CCharString();
  CCharString sLine = GetAt(nIndex);
  int nColon = MbsFindByte(sLine, 0, ':');
  if (nColon < 0) return sLine;
  int nSemicolon = bWhole ? -1 : MbsFindByte(sLine, nColon + 1, ';');
  if (nSemicolon >= 0) {
    // One blank after the colon is assumed, as servers write it.
    int nStart = nColon + 2;
    return nSemicolon > nStart ? sLine.Mid(nStart, nSemicolon - nStart) : CCharString();
  }
  CCharString sValue = sLine.Mid(nColon + 1);
  sValue.TrimLeft();
  return sValue;
}

CCharString CInetHeaders::GetHeaderValue(const char* pszName) const {
  return GetHeaderValue(FindHeader(pszName, 0), FALSE);
}

int CInetHeaders::SetHeader(const char* pszName, const char* pszValue) {
  CCharString sLine = CCharString(pszName) + ": " + CCharString(pszValue);
  int nIndex = FindHeader(pszName, 0);
  if (nIndex < 0) return Add(sLine);
  SetAt(nIndex, sLine);
  return nIndex;
}
