#include "client/sys/folder_path.h"

#include <string.h>

#include "base/mbcs.h"

namespace {
// -1 missing, 0 a file, 1 a folder.
int PathKind(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return -1;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
}  // namespace

CCharString GetFolderOfPath(const char* path) {
  if (!path) return CCharString();
  int last = MbsFindLastByte(path, '\\');
  if (last < 0) last = MbsFindLastByte(path, '/');
  if (last < 0) return CCharString();
  return CCharString(path).Left(last + 1);
}

int CreateFolderPath(const char* path, int start) {
  if (!path || !path[0]) return 0;
  int kind = PathKind(path);
  if (kind >= 0) return kind;

  // A private copy whose separators are cut in turn to name each level.
  int length = lstrlenA(path);
  CCharString copy;
  char* text = copy.GetBuffer(length);
  if (!text) return 0;
  memcpy(text, path, static_cast<size_t>(length) + 1);
  if (start < 0) start = 0;
  int previous = -2;
  for (int at = start <= length ? MbsFindByte(text, start, '\\') : -1; at >= 0;
       at = MbsFindByte(text, at + 1, '\\')) {
    // A separator that ends no name (a leading one, or the second of two)
    // has no level to make.
    BOOL bEmpty = at == 0 || at == previous + 1;
    previous = at;
    if (bEmpty) continue;
    text[at] = 0;
    int level = PathKind(text);
    // Made by someone else meanwhile counts as made.
    BOOL bMade = level == 1 || (level < 0 && (CreateDirectoryA(text, nullptr) || PathKind(text) == 1));
    text[at] = '\\';
    if (!bMade) return 0;
  }
  if (PathKind(text) < 0) CreateDirectoryA(text, nullptr);
  return PathKind(text) == 1 ? 1 : 0;
}
