#pragma once
#include <windows.h>

#include "base/char_string.h"
#include "base/grow_buffer.h"

// One CSV row at a time: its text, and that text split into fields on
// demand. A field is quoted on output when it holds a blank, a comma, a
// double quote or a line break; double quotes are doubled. Reading takes at
// most kMaxFields fields. The base reads its "record" from sRow itself;
// derived classes read from a document, a stream or a file.
class CCSVRowIF {
public:
  enum { kMaxFields = 512 };

  CCSVRowIF();

  // The row text of nCount fields (NULL texts count as empty fields; a
  // negative count gives the empty text). Uses nothing of the object.
  virtual CCharString& FormatRow(CCharString& sOut, int nCount, const char* const* ppTexts);
  // sRow := the formatted row, then split. FALSE for a negative count.
  virtual BOOL SetRow(int nCount, const char* const* ppTexts);
  // The next record into sRow (split, nRow + 1); FALSE when there is none.
  virtual BOOL ReadRow();
  virtual ~CCSVRowIF();
  virtual CCharString& GetRowText(CCharString& sOut);
  // Gathers physical lines while the double quotes are unbalanced, joined
  // with CR LF. A record still open at the end is not returned.
  virtual BOOL ReadRecord(CCharString& sOut);
  virtual BOOL IsEOF() const;
  virtual BOOL ReadLine(CCharString& sOut);

  // Splits sRow into fields. Always TRUE (FALSE only when memory runs out).
  BOOL ParseRow();
  void ResetRow();
  // NULL when nothing is split or nIndex is outside 0 .. nFieldCount - 1.
  const char* GetFieldPtr(int nIndex) const;
  CCharString& GetField(CCharString& sOut, int nIndex) const;
  CCharString GetField(int nIndex) const;
  // SetRow with nCount const char* texts following the count.
  BOOL SetRowV(int nCount, ...);

  int nFieldCount;
  char* apFields[kMaxFields + 1];
  CGrowBuffer bufSplit;
  CCharString sRow;
  int nRow;
  int nRecordLines;

private:
  CCSVRowIF(const CCSVRowIF&) = delete;
  CCSVRowIF& operator=(const CCSVRowIF&) = delete;
};

// Double-quote bytes of a text, trail bytes of two-byte characters not counted.
int CountQuotes(const char* pszText);
