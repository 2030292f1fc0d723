#pragma once
// A fresh temporary folder, removed with its contents at the end; the current directory is put back.
#include <windows.h>

#include <shellapi.h>

#include <string>

class CTempFolder {
 public:
  CTempFolder() {
    char base[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    GetTempFileNameA(base, "sui", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    sPath = std::string(name) + "\\";
    GetCurrentDirectoryA(MAX_PATH, szPrevious);
  }
  ~CTempFolder() {
    SetCurrentDirectoryA(szPrevious);
    std::string from = sPath.substr(0, sPath.size() - 1) + '\0';  // a list of one, ended by two zeros
    SHFILEOPSTRUCTA op = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI,
                          FALSE, nullptr, nullptr};
    SHFileOperationA(&op);
  }
  const std::string& Path() const { return sPath; }  // with its trailing backslash

  void Put(const std::string& relative, const std::string& bytes) const {
    HANDLE h = CreateFileA((sPath + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
  // The bytes of a file (read while others may write it), "<missing>" without one.
  std::string Get(const std::string& relative) const {
    HANDLE h = CreateFileA((sPath + relative).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(h, nullptr), 0);
    DWORD n = 0;
    ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    return bytes.substr(0, n);
  }
  // The number of plain files in the folder.
  int Count() const {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((sPath + "*").c_str(), &found);
    int n = 0;
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found))
      n += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return n;
  }

 private:
  std::string sPath;
  char szPrevious[MAX_PATH];
};
