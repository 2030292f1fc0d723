// Prints a program's version block as the properties page reads it: key=value lines in the ANSI code page.
#include <windows.h>
#include <stdio.h>

#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
  std::vector<char> block(size ? size : 1);
  if (!size || !GetFileVersionInfoA(argv[1], 0, size, block.data())) return 1;
  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), "\\", &value, &length)) {
    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
    auto show = [](const char* name, DWORD ms, DWORD ls) {
      printf("%s=%u,%u,%u,%u\n", name, HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls));
    };
    show("FILEVERSION", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    show("PRODUCTVERSION", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  }
  if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    auto* pair = static_cast<WORD*>(value);
    printf("Translation=%04x %u\n", pair[0], pair[1]);
  }
  for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                           "OriginalFilename", "ProductName", "ProductVersion"}) {
    char path[64];
    snprintf(path, sizeof(path), "\\StringFileInfo\\041103A4\\%s", name);
    if (VerQueryValueA(block.data(), path, &value, &length))
      printf("%s=%s\n", name, static_cast<const char*>(value));
  }
  return 0;
}
