#pragma once
// A stand-in for the system in tests of the elevation, shell and rights paths:
// a chosen Windows version and token, scripted message-box answers, and shell
// starts that are recorded instead of run (unless told to pass through).
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
    BOOL extended = TRUE;  // ShellExecuteExA (TRUE) or ShellExecuteA
    // "verb|file|parameters|directory|show|mask" for compact comparisons.
    std::string Text() const;
  };
  struct Box {
    std::string text, caption;
    UINT type = 0;
    HWND owner = nullptr;
  };

  CFakeSystemApi();
  ~CFakeSystemApi() override;

  // The system it pretends to be.
  void SetWindowsXP();                 // NT 5.1
  void SetWindows9x();                 // 4.10, not NT
  void SetVista(DWORD elevationType);  // NT 6.0 with TokenElevationType 1, 2 or 3

  // Calls that fail (return FALSE / 0) with the given last error.
  BOOL bFailGetVersion = FALSE;
  BOOL bFailOpenToken = FALSE;
  BOOL bFailTokenInfo = FALSE;
  BOOL bFailCloseHandle = FALSE;
  BOOL bFailModuleFileName = FALSE;
  BOOL bFailCurrentDirectory = FALSE;
  BOOL bMissingTokenApi = FALSE;       // ADVAPI32 has no OpenProcessToken
  BOOL bMissingShellFolders = FALSE;   // neither shell32 nor shfolder has the lookups
  BOOL bHaveRegisterServiceProcess = FALSE;  // KERNEL32 exports it (Windows 9x)
  DWORD dwFailError = 5;

  // Shell starts: recorded; they succeed and hand out a process handle unless
  // bFailShell is set. With bPassThrough the real ShellExecuteExA runs too.
  BOOL bFailShell = FALSE;
  BOOL bPassThrough = FALSE;
  std::vector<ShellCall> shellCalls;
  std::vector<DWORD> waits;  // the wait of every WaitForSingleObject on a fake handle

  // Message boxes: recorded; answered from the queue, IDOK / IDNO when it is empty.
  std::deque<int> answers;
  std::vector<Box> boxes;

  std::string sModulePath = "C:\\suite\\Program.exe";
  std::string sCurrentDirectory = "C:\\work";

  int nLoadedLibraries = 0;  // LoadSystemLibrary minus FreeLibrary

  // The process's command line; empty: the real one.
  std::string sCommandLine;

  // Special folders answered by fake shell libraries instead of the real ones:
  // each lookup that is present gives sSpecialFolder + "\\" + the csidl number
  // (without CSIDL_FLAG_CREATE). Every call is recorded in folderCalls as
  // "<library> <function> <csidl> <create or flags>" and every LoadSystemLibrary name
  // of a shell library in loadedShellLibraries.
  BOOL bFakeShellFolders = FALSE;
  BOOL bShell32HasSpecialFolderPath = TRUE;  // SHGetSpecialFolderPathA in shell32.dll
  BOOL bShell32HasFolderPath = TRUE;         // SHGetFolderPathA in shell32.dll
  BOOL bFailSpecialFolderPath = FALSE;       // SHGetSpecialFolderPathA returns FALSE
  BOOL bFailFolderPath = FALSE;              // SHGetFolderPathA returns E_FAIL
  std::string sSpecialFolder = "C:\\Shell";
  std::vector<std::string> folderCalls;
  std::vector<std::string> loadedShellLibraries;

  // RegisterServiceProcess calls as "pid type".
  std::vector<std::string> serviceProcessCalls;

  BOOL GetVersionEx(OSVERSIONINFOA* info) override;
  HMODULE LoadSystemLibrary(const char* name) override;
  HMODULE GetModuleHandle(const char* name) override;
  FARPROC GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  HANDLE GetCurrentProcess() override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetModuleFileName(char* buffer, DWORD size) override;
  DWORD GetCurrentDirectory(DWORD size, char* buffer) override;
  BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override;
  HINSTANCE ShellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                         const char* directory, int show) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD ms) override;
  int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  const char* GetCommandLine() override;

  static CFakeSystemApi* Current();  // the fake installed now, for the looked-up functions

 private:
  DWORD dwMajor = 6, dwMinor = 1, dwPlatform = VER_PLATFORM_WIN32_NT;
  DWORD dwElevationType = 1;  // TokenElevationTypeDefault
  CSystemApi* pPrevious = nullptr;

  static BOOL WINAPI FakeOpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
  static BOOL WINAPI FakeGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls, void* info,
                                             DWORD size, DWORD* returned);
  static BOOL WINAPI FakeSpecialFolderPath(HWND owner, char* path, int csidl, BOOL create);
  static HRESULT WINAPI FakeFolderPath(HWND owner, int csidl, HANDLE token, DWORD flags, char* path);
  static DWORD WINAPI FakeRegisterServiceProcess(DWORD processId, DWORD type);
  std::string sLookupLibrary;  // the fake shell library of the last lookup
};
