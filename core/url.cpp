#include "core/url.h"

#include <string.h>

#include <new>

#include "base/mbcs.h"

namespace {

// Copies nCount bytes of pSource as a zero-terminated text at *ppArea.
const char* Put(char** ppArea, const char* pSource, int nCount) {
  char* p = *ppArea;
  memcpy(p, pSource, (size_t)nCount);
  p[nCount] = 0;
  *ppArea = p + nCount + 1;
  return p;
}

// Path and query of text[nStart, nEnd): a '?' after the path's first
// character starts the query.
void PutPathAndQuery(char** ppArea, const char* pszUrl, int nStart, int nEnd, URL_PARTS* pParts) {
  int nQuestion = nEnd > nStart + 1 ? MbsFindByte(pszUrl, nStart + 1, '?') : -1;
  if (nQuestion >= 0 && nQuestion < nEnd) {
    pParts->pszPath = Put(ppArea, pszUrl + nStart, nQuestion - nStart);
    pParts->pszQuery = Put(ppArea, pszUrl + nQuestion + 1, nEnd - nQuestion - 1);
  } else {
    pParts->pszPath = Put(ppArea, pszUrl + nStart, nEnd - nStart);
  }
}

}  // namespace

URL_PARTS* ParseUrl(const char* pszUrl) {
  if (pszUrl == NULL || *pszUrl == 0) return NULL;
  int nLength = lstrlenA(pszUrl);
  // Each part is a slice of the text plus its terminator; "80" may be added.
  size_t nSize = sizeof(URL_PARTS) + (size_t)nLength + 5 + 3;
  char* pBlock = new (std::nothrow) char[nSize];
  if (pBlock == NULL) return NULL;
  URL_PARTS* pParts = reinterpret_cast<URL_PARTS*>(pBlock);
  memset(pParts, 0, sizeof(URL_PARTS));
  char* pArea = pBlock + sizeof(URL_PARTS);

  int nSchemeEnd = MbsFindText(pszUrl, 0, "://");
  if (nSchemeEnd < 0) {
    PutPathAndQuery(&pArea, pszUrl, 0, nLength, pParts);
  } else {
    pParts->pszScheme = Put(&pArea, pszUrl, nSchemeEnd);
    int nHost = nSchemeEnd + 3;
    int nSlash = MbsFindByte(pszUrl, nHost, '/');
    int nHostEnd = nSlash >= 0 ? nSlash : nLength;
    int nColon = MbsFindByte(pszUrl, nHost, ':');
    if (nColon >= 0 && nColon < nHostEnd) {
      pParts->pszHost = Put(&pArea, pszUrl + nHost, nColon - nHost);
      pParts->pszPort = Put(&pArea, pszUrl + nColon + 1, nHostEnd - nColon - 1);
    } else {
      pParts->pszHost = Put(&pArea, pszUrl + nHost, nHostEnd - nHost);
    }
    if (nSlash >= 0) PutPathAndQuery(&pArea, pszUrl, nSlash, nLength, pParts);
  }
  if (pParts->pszPort == NULL) pParts->pszPort = Put(&pArea, "80", 2);
  return pParts;
}

void FreeUrlParts(URL_PARTS* pParts) { delete[] reinterpret_cast<char*>(pParts); }
