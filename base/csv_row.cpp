#include "base/csv_row.h"

#include <stdarg.h>
#include <string.h>

#include <memory>
#include <new>

#include "base/mbcs.h"

CCSVRowIF::CCSVRowIF() : nFieldCount(-1), nRow(0), nRecordLines(0) {
  memset(apFields, 0, sizeof(apFields));
  ResetRow();
}

CCSVRowIF::~CCSVRowIF() {}

void CCSVRowIF::ResetRow() {
  nFieldCount = -1;
  nRow = 0;
  nRecordLines = 0;
}

int CountQuotes(const char* pszText) {
  int nQuotes = 0;
  for (const char* p = pszText; p != NULL && *p != 0; p += MbsCharLength(p)) {
    if (*p == '"') ++nQuotes;
  }
  return nQuotes;
}

CCharString& CCSVRowIF::FormatRow(CCharString& sOut, int nCount, const char* const* ppTexts) {
  sOut = "";
  if (ppTexts == NULL) nCount = 0;
  for (int i = 0; i < nCount; ++i) {
    const char* pszField = ppTexts[i] ? ppTexts[i] : "";
    // A line break is quoted too: unquoted, it would end the row there and
    // the rest would read back as another row.
    BOOL bQuote = MbsFindByte(pszField, 0, ' ') >= 0 || MbsFindByte(pszField, 0, ',') >= 0 ||
                  MbsFindByte(pszField, 0, '"') >= 0 || MbsFindByte(pszField, 0, '\n') >= 0 ||
                  MbsFindByte(pszField, 0, '\r') >= 0;
    CCharString s(pszField);
    s.Replace("\"", "\"\"");
    if (bQuote) s = "\"" + s + "\"";
    if (i > 0) sOut += ",";
    sOut += s;
  }
  return sOut;
}

BOOL CCSVRowIF::SetRow(int nCount, const char* const* ppTexts) {
  if (nCount < 0) return FALSE;
  FormatRow(sRow, nCount, ppTexts);
  return ParseRow();
}

BOOL CCSVRowIF::SetRowV(int nCount, ...) {
  if (nCount < 0) return FALSE;
  std::unique_ptr<const char*[]> texts(new (std::nothrow) const char*[(size_t)nCount + 1]());
  if (!texts) return FALSE;
  va_list args;
  va_start(args, nCount);
  for (int i = 0; i < nCount; ++i) texts[i] = va_arg(args, const char*);
  va_end(args);
  return SetRow(nCount, texts.get());
}

BOOL CCSVRowIF::ReadRow() {
  sRow = "";
  nFieldCount = 0;
  CCharString sRecord;
  if (!ReadRecord(sRecord)) return FALSE;
  sRow = sRecord;
  ++nRow;
  ParseRow();
  return TRUE;
}

CCharString& CCSVRowIF::GetRowText(CCharString& sOut) {
  sOut = sRow;
  return sOut;
}

BOOL CCSVRowIF::ReadRecord(CCharString& sOut) {
  nRecordLines = 0;
  for (;;) {
    CCharString sLine;
    if (!ReadLine(sLine)) return FALSE;
    // A record too long for a string cannot be returned whole.
    if (!sOut.Append(sLine)) return FALSE;
    ++nRecordLines;
    BOOL bOdd = (CountQuotes(sOut) & 1) != 0;
    if (bOdd && !sOut.Append("\r\n")) return FALSE;
    if (IsEOF()) return !bOdd;
    if (!bOdd) return TRUE;
  }
}

BOOL CCSVRowIF::IsEOF() const { return TRUE; }

BOOL CCSVRowIF::ReadLine(CCharString& sOut) {
  sOut = sRow;
  return TRUE;
}

BOOL CCSVRowIF::ParseRow() {
  nFieldCount = 0;
  int nLength = sRow.GetLength();
  if (!bufSplit.Reserve(nLength + 2)) return FALSE;
  const char* pRead = sRow;
  char* pWrite = bufSplit.GetData();
  // The write pointer never passes the read pointer, so the copy fits.
  BOOL bOpen = FALSE, bQuoted = FALSE;
  char chPrev = 0;
  while (*pRead != 0) {
    char ch = *pRead;
    int nChar = MbsCharLength(pRead);
    if (!bOpen) {
      if (nFieldCount >= kMaxFields) break;
      apFields[nFieldCount++] = pWrite;
      bOpen = TRUE;
      if (ch == '"') {
        bQuoted = TRUE;
      } else if (ch == ',') {
        *pWrite++ = 0;
        bOpen = FALSE;
      } else {
        memcpy(pWrite, pRead, (size_t)nChar);
        pWrite += nChar;
      }
      chPrev = 0;
      pRead += ch == '"' || ch == ',' ? 1 : nChar;
    } else if (chPrev == '"' && ch == '"') {
      *pWrite++ = '"';
      chPrev = 0;
      ++pRead;
    } else if (ch == ',' && (!bQuoted || chPrev == '"')) {
      *pWrite++ = 0;
      bOpen = FALSE;
      bQuoted = FALSE;
      chPrev = 0;
      ++pRead;
    } else {
      chPrev = ch;
      if (ch != '"') {
        memcpy(pWrite, pRead, (size_t)nChar);
        pWrite += nChar;
      }
      if (nChar == 2) chPrev = 0;
      pRead += nChar;
    }
  }
  *pWrite = 0;
  return TRUE;
}

const char* CCSVRowIF::GetFieldPtr(int nIndex) const {
  if (nFieldCount < 0 || nIndex < 0 || nIndex >= nFieldCount) return NULL;
  return apFields[nIndex];
}

CCharString& CCSVRowIF::GetField(CCharString& sOut, int nIndex) const {
  sOut = GetFieldPtr(nIndex);
  return sOut;
}

CCharString CCSVRowIF::GetField(int nIndex) const { return CCharString(GetFieldPtr(nIndex)); }
