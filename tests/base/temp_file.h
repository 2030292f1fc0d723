#pragma once
// A unique, not yet existing file name in the temporary folder, deleted at
// the end of the test.
#include <windows.h>

#include <string>

class TempFile {
 public:
  TempFile() {
    char szDir[MAX_PATH];
    GetTempPathA(MAX_PATH, szDir);
    GetTempFileNameA(szDir, "bas", 0, szPath);
    DeleteFileA(szPath);
  }
  ~TempFile() { DeleteFileA(szPath); }
  const char* Path() const { return szPath; }

  void Put(const std::string& text) const {
    HANDLE h = CreateFileA(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD dw = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &dw, NULL);
    CloseHandle(h);
  }
  std::string Get() const {
    HANDLE h = CreateFileA(szPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    std::string text;
    char buf[4096];
    DWORD dw = 0;
    while (h != INVALID_HANDLE_VALUE && ReadFile(h, buf, sizeof(buf), &dw, NULL) && dw > 0)
      text.append(buf, dw);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return text;
  }

 private:
  char szPath[MAX_PATH];
};
