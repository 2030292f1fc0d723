#include "client/sys/command_line.h"

#include <string.h>

#include <new>

#include "base/mbcs.h"

namespace {
// kMaxTokens pointers: 2048 bytes in the 32-bit programs.
const size_t kPointerBytes = kMaxTokens * sizeof(char*);

char* TextOf(char** block) { return reinterpret_cast<char*>(block) + kPointerBytes; }
}  // namespace

char** SplitCommandLine(const char* text, int* pnLast) {
  int nDummy;
  if (!pnLast) pnLast = &nDummy;
  *pnLast = -1;
  if (!text) text = "";
  size_t length = strlen(text);
  char* raw = new (std::nothrow) char[kPointerBytes + length + 4];
  if (!raw) return nullptr;
  memset(raw, 0, kPointerBytes + length + 4);
  char** tokens = reinterpret_cast<char**>(raw);
  char* p = TextOf(tokens);
  memcpy(p, text, length);

  int count = 0;
  BOOL bInToken = FALSE, bQuoted = FALSE, bLead = FALSE;
  for (; *p; ++p) {
    if (!bInToken) {
      if (*p == '"') {
        *p = 0;
        bQuoted = TRUE;
        if (!*++p) break;
      }
      if (*p == ' ') continue;
      if (count == kMaxTokens) break;  // no room for more pointers
      tokens[count++] = p;
      bInToken = TRUE;
      bLead = FALSE;
    }
    if (!bLead && *p == (bQuoted ? '"' : ' ')) {
      *p = 0;
      bInToken = bQuoted = FALSE;
      continue;
    }
    // A lead byte makes the next byte its trail byte, which is never a lead.
    bLead = bLead ? FALSE : IsLeadByte(static_cast<unsigned char>(*p));
  }
  *pnLast = count - 1;
  return tokens;
}

void FreeCommandLine(char** block) { delete[] reinterpret_cast<char*>(block); }

int CCommandLineTokens::GetOffset(int index) const {
  const char* token = Get(index);
  return token ? static_cast<int>(token - TextOf(pBlock)) : -1;
}
