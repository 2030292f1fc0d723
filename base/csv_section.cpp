#include "base/csv_section.h"

#include <limits.h>
#include <stdarg.h>
#include <string.h>

#include <memory>
#include <new>

namespace {

BOOL IsHeader(const CCharString& sLine) { return sLine.StartsWith("[ "); }

BOOL IsSkipped(const CCharString& sLine) { return sLine.IsEmpty() || sLine.StartsWith("# "); }

CCharString HeaderOf(const char* pszSection) { return "[ " + CCharString(pszSection) + " ]"; }

}  // namespace

int DecimalValue(const char* pszText) {
  if (pszText == NULL) return 0;
  const char* p = pszText;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  BOOL bNegative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  long long nValue = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (nValue <= (long long)INT_MAX + 1) nValue = nValue * 10 + (*p - '0');
  }
  if (bNegative) nValue = -nValue;
  if (nValue > INT_MAX) return INT_MAX;
  if (nValue < INT_MIN) return INT_MIN;
  return (int)nValue;
}

CCSVSection::CCSVSection() : sDocTitle("MULTI SECTION CSV FORMAT") {}

CCSVSection::~CCSVSection() {}

int CCSVSection::FindSection(const char* pszSection) {
  CCharString sHeader = HeaderOf(pszSection);
  int nCount = GetLineCount();
  for (int i = 0; i < nCount; ++i) {
    if (pLines->GetAt(i) == sHeader) {
      sRow = "";
      ParseRow();
      return i;
    }
  }
  return -1;
}

int CCSVSection::FindKey(const char* /*pszSection*/, const char* pszKey, int nHeader, int* pCursor) {
  int nCount = GetLineCount();
  int nCursor = nHeader + 1;
  if (pszKey != NULL && nHeader >= 0) {
    for (int i = nHeader + 1; i < nCount; ++i) {
      CCharString sLine = pLines->GetAt(i);
      if (IsHeader(sLine)) {
        nCursor = i - 1 > nHeader + 1 ? i - 1 : nHeader + 1;
        break;
      }
      if (IsSkipped(sLine)) continue;
      sRow = sLine;
      ParseRow();
      const char* pszField = GetFieldPtr(0);
      if (pszField != NULL && strcmp(pszField, pszKey) == 0) {
        if (pCursor) *pCursor = i;
        return i;
      }
      nCursor = i + 1;
    }
  }
  if (pCursor) *pCursor = nCursor;
  sRow = "";
  ParseRow();
  return -1;
}

BOOL CCSVSection::FindEntry(const char* pszSection, const char* pszKey) {
  int nHeader = FindSection(pszSection);
  if (nHeader < 0) {
    nRow = GetLineCount();
    return FALSE;
  }
  if (pszKey == NULL) return TRUE;
  return FindKey(pszSection, pszKey, nHeader, &nRow) >= 0;
}

BOOL CCSVSection::SetValue(const char* pszSection, const char* pszKey, int nCount,
                           const char* const* ppTexts) {
  if (nCount < 0 || ppTexts == NULL) return FALSE;
  if (FindEntry(pszSection, pszKey)) return SetRow(nCount + 1, ppTexts);
  if (FindEntry(pszSection, NULL)) return InsertRow(nCount + 1, ppTexts);
  if (GetLineCount() == 0) {
    if (pLines->Add("# " + sDocTitle) < 0) return FALSE;
  }
  if (pLines->Add("") < 0 || pLines->Add(HeaderOf(pszSection)) < 0) return FALSE;
  nRow = GetLineCount();
  return SetRow(nCount + 1, ppTexts);
}

BOOL CCSVSection::SetValueV(const char* pszSection, const char* pszKey, int nCount, ...) {
  if (nCount < 0) return FALSE;
  std::unique_ptr<const char*[]> texts(new (std::nothrow) const char*[(size_t)nCount + 1]());
  if (!texts) return FALSE;
  texts[0] = pszKey;
  va_list args;
  va_start(args, nCount);
  for (int i = 1; i <= nCount; ++i) texts[i] = va_arg(args, const char*);
  va_end(args);
  return SetValue(pszSection, pszKey, nCount, texts.get());
}

BOOL CCSVSection::SetValues(const char* pszSection, const char* pszKey, const Array<CCharString>& aValues) {
  int nCount = aValues.GetCount();
  std::unique_ptr<CCharString[]> values(new (std::nothrow) CCharString[(size_t)nCount]);
  std::unique_ptr<const char*[]> texts(new (std::nothrow) const char*[(size_t)nCount + 1]());
  if (!values || !texts) return FALSE;
  texts[0] = pszKey;
  for (int i = 0; i < nCount; ++i) {
    values[i] = aValues.GetAt(i);
    texts[i + 1] = values[i];
  }
  return SetValue(pszSection, pszKey, nCount, texts.get());
}

// Both forms give the number of values; the count of a split row also holds
// the key.
int CCSVSection::GetValues(const char* pszSection, const char* pszKey, Array<CCharString>* pValues) {
  if (!FindEntry(pszSection, pszKey)) return -1;
  if (pValues == NULL) return nFieldCount - 1;
  int nAdded = 0;
  for (int i = 1; i < nFieldCount; ++i) {
    if (pValues->Add(GetField(i)) >= 0) ++nAdded;
  }
  return nAdded;
}

CCharString& CCSVSection::GetString(CCharString& sOut, const char* pszSection, const char* pszKey, int nIndex) {
  sOut = "";
  // A negative value index would reach the key itself.
  if (nIndex >= 0 && FindEntry(pszSection, pszKey)) GetField(sOut, nIndex + 1);
  return sOut;
}

int CCSVSection::GetInt(const char* pszSection, const char* pszKey, int nIndex, int nDefault) {
  CCharString sValue;
  GetString(sValue, pszSection, pszKey, nIndex);
  if (sValue.IsEmpty()) return nDefault;
  return DecimalValue(sValue);
}

int CCSVSection::GetKeys(const char* pszSection, const char* /*pszUnused*/, Array<CCharString>* pKeys) {
  int nHeader = FindSection(pszSection);
  if (nHeader < 0) return -1;
  int nKeys = 0;
  int nCount = GetLineCount();
  for (int i = nHeader + 1; i < nCount; ++i) {
    CCharString sLine = pLines->GetAt(i);
    if (IsHeader(sLine)) break;
    if (IsSkipped(sLine)) continue;
    sRow = sLine;
    ParseRow();
    if (pKeys) pKeys->Add(GetField(0));
    ++nKeys;
  }
  return nKeys;
}

int CCSVSection::GetSectionNames(const char* /*pszUnused*/, Array<CCharString>* pNames) {
  int nNames = 0;
  int nCount = GetLineCount();
  for (int i = 0; i < nCount; ++i) {
    CCharString sLine = pLines->GetAt(i);
    if (!IsHeader(sLine)) continue;
    int nLength = sLine.GetLength() - 4;
    if (pNames) pNames->Add(sLine.Mid(2, nLength > 0 ? nLength : 0));
    ++nNames;
  }
  return nNames;
}

BOOL CCSVSection::DeleteKey(const char* pszSection, const char* pszKey) {
  if (pszKey == NULL || !FindEntry(pszSection, pszKey)) return FALSE;
  pLines->RemoveAt(nRow);
  nRow = GetLineCount();
  return TRUE;
}

int CCSVSection::DeleteSection(const char* pszSection) {
  int nHeader = FindSection(pszSection);
  if (nHeader < 0) return -1;
  int nCount = GetLineCount();
  int nLast = nCount - 1;
  for (int i = nHeader + 1; i < nCount; ++i) {
    if (IsHeader(pLines->GetAt(i))) {
      nLast = i - 1;
      break;
    }
  }
  for (int i = nLast; i >= nHeader; --i) pLines->RemoveAt(i);
  if (nRow > GetLineCount()) nRow = GetLineCount();
  return nLast - nHeader;
}
