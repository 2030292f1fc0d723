#pragma once
// A stand-in system: chosen version and token, scripted message-box answers, shell starts recorded instead of run.
#include <deque>
#include <string>
#include <vector>

#include "client/sys/system_api.h"

class CFakeSystemApi : public CSystemApi {
 public:
  struct ShellCall {
    std::string verb, file, parameters, directory;
    int show = 0;
    ULONG mask = 0;
    std::string Text() const {  // "verb|file|parameters|directory|show|mask"
      return verb + "|" + file + "|" + parameters + "|" + directory + "|" + std::to_string(show) + "|" +
             std::to_string(mask);
    }
  };
  struct Box {
    std::string text, caption;
    UINT type = 0;
    HWND owner = nullptr;
    std::string Text() const { return text + "|" + caption + "|" + std::to_string(type); }
  };

  CFakeSystemApi();
  ~CFakeSystemApi() override;

  // The system it pretends to be: NT 6.1 with a default token unless set.
  void SetWindowsXP() { dwMajor = 5, dwPlatform = VER_PLATFORM_WIN32_NT; }
  void SetWindows9x() { dwMajor = 4, dwPlatform = VER_PLATFORM_WIN32_WINDOWS; }
  void SetVista(DWORD elevationType) {  // TokenElevationType 1, 2 or 3
    dwMajor = 6, dwPlatform = VER_PLATFORM_WIN32_NT, dwElevationType = elevationType;
  }

  // Calls that fail (return FALSE / 0) with dwFailError; ADVAPI32 without the token functions.
  BOOL bFailGetVersion = FALSE, bFailOpenToken = FALSE, bFailTokenInfo = FALSE, bFailCloseHandle = FALSE,
       bFailCurrentDirectory = FALSE, bMissingTokenApi = FALSE;
  DWORD dwFailError = 5;

  // Shell starts succeed with a process handle unless bFailShell; waits on that handle are recorded too.
  BOOL bFailShell = FALSE;
  std::vector<ShellCall> shellCalls;
  std::vector<DWORD> waits;

  // Message boxes are recorded and answered from the queue, IDOK / IDNO when it is empty.
  std::deque<int> answers;
  std::vector<Box> boxes;

  std::string sModulePath = "C:\\suite\\Program.exe", sCurrentDirectory = "C:\\work";
  std::string sCommandLine;  // empty: the real one
  int nLoadedLibraries = 0;  // LoadSystemLibrary minus FreeLibrary

  // With bFakeShellFolders, shell32's SHGetSpecialFolderPathA gives sSpecialFolder + "\\" + the csidl.
  BOOL bFakeShellFolders = FALSE;
  std::string sSpecialFolder = "C:\\Shell";

  BOOL GetVersionEx(OSVERSIONINFOA* info) override;
  HMODULE LoadSystemLibrary(const char* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  HANDLE GetCurrentProcess() override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetModuleFileName(char* buffer, DWORD size) override;
  DWORD GetCurrentDirectory(DWORD size, char* buffer) override;
  BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD ms) override;
  int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  const char* GetCommandLine() override;

 private:
  DWORD dwMajor = 6, dwPlatform = VER_PLATFORM_WIN32_NT, dwElevationType = 1;
  CSystemApi* pPrevious;
  CFakeSystemApi* pPreviousFake;  // the fake installed before, for the looked-up functions

  BOOL Fail(BOOL bFail);  // sets dwFailError when bFail
  static BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
  static BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls, void* info, DWORD size,
                                         DWORD* returned);
  static BOOL WINAPI SpecialFolderPath(HWND owner, char* path, int csidl, BOOL create);
};
