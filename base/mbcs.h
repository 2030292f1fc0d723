#pragma once
#include <windows.h>

// Double-byte helpers for texts in the ANSI code page (Shift-JIS here).
// Texts are zero-terminated. A lead byte is a character of its own when the
// byte after it cannot be a trail byte (below 0x40 in every double-byte code
// page: the terminator, line ends, blanks, commas, quotes), so that a text
// cut inside a character never swallows the byte that follows it and no walk
// ever steps over the end.
// Indexes are byte offsets from the start of the text; -1 means not found.

// Lead byte of a two-byte character in the ANSI code page.
BOOL IsLeadByte(unsigned char c);

// Whether c may follow a lead byte as its trail byte.
BOOL IsTrailCandidate(unsigned char c);

// Bytes of the character at p: 0 at the terminator, 2 for a lead byte with a
// possible trail byte after it, otherwise 1.
int MbsCharLength(const char* p);

// Whether nIndex (0 <= nIndex <= length) starts a character, i.e. does not
// fall on the trail byte of a two-byte character.
BOOL MbsIsCharBoundary(const char* pszText, int nIndex);

// First one-byte character equal to byte at or after nStart; a trail byte
// never matches, nor does the lead byte of a two-byte character.
int MbsFindByte(const char* pszText, int nStart, unsigned char byte);

// Last one-byte character equal to byte.
int MbsFindLastByte(const char* pszText, unsigned char byte);

// First occurrence of pszFind at or after nStart that starts and ends on
// character boundaries. An empty pszFind is found at the first boundary at
// or after nStart.
int MbsFindText(const char* pszText, int nStart, const char* pszFind);

// Last occurrence of pszFind on character boundaries; an empty pszFind is
// found at the end of the text.
int MbsFindLastText(const char* pszText, const char* pszFind);
