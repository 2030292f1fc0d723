#pragma once
#include <windows.h>

#include "base/csv_row.h"
#include "base/string_array.h"
#include "base/unread_rest.h"

// A CSV document held as its records (one element per record; a record may
// hold CR LF), with a cursor (nRow) at which rows are read, replaced and
// inserted. The cursor moves only by ReadRow and by the callers' own moves.
class CCSVEditer : public CCSVRowIF {
public:
  CCSVEditer();
  ~CCSVEditer() override;

  // The row's SetRow, then StoreReplace.
  BOOL SetRow(int nCount, const char* const* ppTexts) override;
  // The record at the cursor; FALSE when the cursor is outside the lines.
  BOOL ReadRecord(CCharString& sOut) override;
  BOOL IsEOF() const override;
  // 1 with the line at the cursor, -1 past the end (nothing here calls it
  // as a truth value).
  BOOL ReadLine(CCharString& sOut) override;
  // Appends the records of a file; FALSE (nothing changed) when it cannot be
  // opened. Read errors, an over-long line, a quote open at the end and a
  // document full end the loading early; the rest of the file from that
  // record on is kept unread (restUnread). A document holding such a rest
  // takes no further file (FALSE), as its lines could only follow the rest.
  virtual BOOL Load(const char* pszName);
  // Every record followed by CR LF, then the unread rest of the load as it
  // was. Refused (FALSE, the file untouched) when that rest could not be
  // kept. The content goes to a temporary file in the same folder, which
  // then replaces the file in one step: an interrupted save leaves the old
  // file or the new one, never a part.
  virtual BOOL Save(const char* pszName);
  virtual BOOL InsertRow(int nCount, const char* const* ppTexts);
  // sRow before the line at the cursor, or appended at the end.
  virtual BOOL StoreInsert();
  // sRow in place of the line at the cursor, or appended at the end.
  virtual BOOL StoreReplace();

  int GetLineCount() const { return pLines->GetCount(); }
  CCharString GetLine(int nIndex) const { return pLines->GetAt(nIndex); }

  CCharString sFileName;
  Array<CCharString>* pLines;
  Array<CCharString> aLines;
  CUnreadRest restUnread;
};
