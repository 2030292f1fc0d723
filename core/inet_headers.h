#pragma once
// HTTP header lines as sent or received, without their line ends.
#include <windows.h>

#include "base/char_string.h"
#include "base/stream_reader.h"
#include "base/stream_writer.h"
#include "base/string_array.h"

class CInetHeaders : public Array<CCharString> {
public:
  ~CInetHeaders() override;

  // Lines up to the empty line (TRUE); FALSE when the lines end before it or
  // the list cannot hold them. A line starting with a blank or a tab
  // continues the previous header: trimmed and appended without separator.
  virtual BOOL ParseHeaders(CStreamReader* pReader);
  // Every line followed by CR LF; FALSE at the first failed write.
  virtual BOOL WriteHeaders(CStreamWriter* pStream);

  // The first line at or after nFirst that begins with name + ":", compared
  // without regard to case; -1 when there is none.
  int FindHeader(const char* pszName, int nFirst = 0) const;
  // The value of line nIndex (the empty text outside the list): without
  // bWhole, up to a ';' (taken from two bytes after the ':'); otherwise, or
  // without a ';', all after the ':' less leading white space.
  CCharString GetHeaderValue(int nIndex, BOOL bWhole) const;
  CCharString GetHeaderValue(const char* pszName) const;
  // name + ": " + value in place of the first such line, or appended; the
  // line's index, or -1 when the list is full.
  int SetHeader(const char* pszName, const char* pszValue);
};
