#pragma once
#include <windows.h>

#include <stdarg.h>

class CMemoryFile;

// The text type of the suite: a zero-terminated byte string in the ANSI code
// page, reference-counted and copy-on-write. Its bytes live in a CMemoryFile
// that all copies share and that carries the owner count. Searching and
// trimming never split a two-byte character; comparisons are byte-wise.
// Lengths and indexes are byte counts.
class CCharString {
public:
  enum { kGrowBy = 256, kMaxSize = 0x800000 };

  CCharString();
  CCharString(const char* pszText);  // NULL counts as the empty text
  CCharString(const CCharString& src);
  CCharString(CCharString&& src) noexcept;
  ~CCharString();

  operator const char*() const { return pszText; }
  int GetLength() const;
  BOOL IsEmpty() const { return GetLength() == 0; }

  // A new private buffer holding a copy of the text (which may lie inside
  // this string). A text longer than kMaxSize is refused: FALSE, unchanged.
  BOOL Assign(const char* pszNew);
  CCharString& operator=(const CCharString& src);
  CCharString& operator=(CCharString&& src) noexcept;
  CCharString& operator=(const char* pszNew);

  // FALSE (and the text unchanged) when the result would pass kMaxSize.
  BOOL Append(const char* pszMore);
  // At most nCount bytes of pszMore, stopping at its terminator; a negative
  // count appends the whole text.
  BOOL Append(const char* pszMore, int nCount);
  CCharString& operator+=(const char* pszMore);
  CCharString& operator+=(char ch);

  // Flag clear: unsigned byte order, -1/0/1. Flag set: _stricmp.
  int Compare(const char* pszOther, BOOL bIgnoreCase = FALSE) const;
  BOOL StartsWith(const char* pszPrefix, BOOL bIgnoreCase = FALSE) const;

  // -1 when nStart is outside 0..length or nothing is found.
  int Find(char ch, int nStart = 0) const;
  int Find(const char* pszFind, int nStart = 0) const;
  int ReverseFind(const char* pszFind) const;

  CCharString Mid(int nStart, int nCount = -1) const;
  CCharString Left(int nCount) const;

  void TrimLeft();
  void TrimRight();
  void Trim();

  // Number of replacements; -1 (text unchanged) when the result would pass
  // kMaxSize.
  int Replace(const char* pszOld, const char* pszNew);

  // The system C runtime's vsprintf output. FALSE with the text unchanged
  // when the format is NULL or the output would pass kMaxSize.
  BOOL Format(const char* pszFormat, ...) __attribute__((format(ms_printf, 2, 3)));
  BOOL FormatV(const char* pszFormat, va_list args);

  // Discards the text; the returned area has at least nMinSize + 2 writable
  // bytes (a negative size counts as 0). NULL, text unchanged, when nMinSize
  // passes kMaxSize or memory runs out.
  char* GetBuffer(int nMinSize);
  // Ends the text at nNewLength (cut to the area); a negative length measures
  // the text up to its first zero byte.
  void ReleaseBuffer(int nNewLength = -1);
  // Drops the buffer; the string becomes empty.
  void Release();

  // The shared buffer (NULL without one), for inspection only.
  const CMemoryFile* GetBufferFile() const { return pBuffer; }

protected:
  CMemoryFile* NewBuffer(const char* pBytes, int nCount) const;
  void Adopt(CMemoryFile* pNew);
  BOOL AssignBytes(const char* pBytes, int nCount);
  BOOL CopyBeforeWrite(BOOL bKeep);

  char* pszText;
  CMemoryFile* pBuffer;
  int nGrowBy;
  int nMaxSize;
};

CCharString operator+(const CCharString& left, const char* pszRight);
CCharString operator+(const char* pszLeft, const CCharString& right);
CCharString operator+(const CCharString& left, const CCharString& right);
CCharString operator+(const CCharString& left, char chRight);
CCharString operator+(char chLeft, const CCharString& right);

inline bool operator==(const CCharString& a, const CCharString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CCharString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CCharString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CCharString& a, const CCharString& b) { return !(a == b); }
inline bool operator!=(const CCharString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CCharString& b) { return !(a == b); }
