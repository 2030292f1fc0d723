#pragma once
#include <windows.h>

// Splits a command line into tokens. The result is one zero-filled block: an
// array of kMaxTokens token pointers (2048 bytes in a 32-bit program), then a copy of the text,
// split in place. *pnLast receives the index of the last token, -1 when there
// is none. Tokens are separated by blanks (0x20, not tabs); a double quote at
// the start of a token makes blanks part of it until the next quote; a trail
// byte of a double-byte character never ends a token. Tokens after the
// kMaxTokens-th are ignored: the block never grows past its pointer array.
// NULL (and -1) only when memory runs out. Free the block with FreeCommandLine.
enum { kMaxTokens = 512 };
char** SplitCommandLine(const char* text, int* pnLast);
void FreeCommandLine(char** block);

// Owns a split command line.
class CCommandLineTokens {
 public:
  explicit CCommandLineTokens(const char* text) : pBlock(SplitCommandLine(text, &nLast)) {}
  ~CCommandLineTokens() { FreeCommandLine(pBlock); }
  CCommandLineTokens(const CCommandLineTokens&) = delete;
  CCommandLineTokens& operator=(const CCommandLineTokens&) = delete;

  int GetCount() const { return nLast + 1; }
  // NULL outside 0..GetCount()-1.
  const char* Get(int index) const {
    return pBlock && index >= 0 && index <= nLast ? pBlock[index] : nullptr;
  }
  // Offset of token index in the text that was split, -1 outside the range.
  int GetOffset(int index) const;

 private:
  int nLast = -1;
  char** pBlock;
};
