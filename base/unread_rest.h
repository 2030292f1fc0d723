#pragma once
#include <windows.h>

#include "base/char_string.h"
#include "base/disk_file.h"
#include "base/stream_writer.h"

// The part of a file that a load did not take: everything from the record
// at which the reading stopped (an over-long line, a record past what a
// document can hold, a quote still open at the end, a read error) to the end
// of the file. A save writes it back after its own lines, byte for byte, so
// that nothing the program did not read is lost by a save; when it could not
// be kept, the save must be refused.
class CUnreadRest {
public:
  enum { kMaxBytes = CCharString::kMaxSize };

  CUnreadRest();

  // Keeps the bytes of the open file from nOffset to its end. Nothing is
  // kept when nOffset is at the end. FALSE (the rest counts as lost) when
  // they cannot be read or are more than kMaxBytes.
  BOOL Take(CDiskFile* pFile, int nOffset);
  void Clear();
  // Nothing was left unread.
  BOOL IsEmpty() const { return !bLost && sBytes.GetLength() == 0; }
  // Something was left unread that could not be kept.
  BOOL IsLost() const { return bLost; }
  // Writes the kept bytes whole; TRUE when there are none.
  BOOL WriteTo(CStreamWriter* pWriter) const;

  // The kept bytes: GetLength() of them, zero bytes included.
  CCharString sBytes;
  BOOL bLost;
};
