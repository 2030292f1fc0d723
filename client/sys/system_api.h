#pragma once
// The system calls of the process utilities, the launcher and the programs'
// elevation and shell paths, behind one interface so that tests can stand in
// for the system: a limited token, a refused elevation, Windows 9x, a shell
// start that is only recorded. The default forwards to Win32.
#include <windows.h>
#include <shellapi.h>

class CSystemApi {
 public:
  virtual ~CSystemApi();

  virtual BOOL GetVersionEx(OSVERSIONINFOA* info);
  // A library of the system folder by its file name (never one beside the
  // program or in the current folder).
  virtual HMODULE LoadSystemLibrary(const char* name);
  virtual HMODULE GetModuleHandle(const char* name);
  virtual FARPROC GetProcAddress(HMODULE module, const char* name);
  virtual BOOL FreeLibrary(HMODULE module);
  virtual HANDLE GetCurrentProcess();
  virtual BOOL CloseHandle(HANDLE handle);
  virtual DWORD GetModuleFileName(char* buffer, DWORD size);
  virtual DWORD GetCurrentDirectory(DWORD size, char* buffer);
  virtual BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info);
  virtual HINSTANCE ShellExecute(HWND owner, const char* verb, const char* file,
                                 const char* parameters, const char* directory, int show);
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
  virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
  virtual const char* GetCommandLine();
};

// The installed interface; the Win32 one when none is installed.
CSystemApi* GetSystemApi();
// Installs api (nullptr = back to Win32); returns the previously installed one.
CSystemApi* SetSystemApi(CSystemApi* api);
// Changes with every SetSystemApi, so answers cached per process (the rights
// test) can tell that another system now stands behind the calls.
DWORD GetSystemApiGeneration();

// Signatures of the functions looked up at run time.
typedef BOOL(WINAPI* PFN_OPENPROCESSTOKEN)(HANDLE process, DWORD access, HANDLE* token);
typedef BOOL(WINAPI* PFN_GETTOKENINFORMATION)(HANDLE token, TOKEN_INFORMATION_CLASS cls,
                                              void* info, DWORD size, DWORD* returned);
typedef DWORD(WINAPI* PFN_REGISTERSERVICEPROCESS)(DWORD processId, DWORD type);
typedef BOOL(WINAPI* PFN_SHGETSPECIALFOLDERPATHA)(HWND owner, char* path, int csidl, BOOL create);
typedef HRESULT(WINAPI* PFN_SHGETFOLDERPATHA)(HWND owner, int csidl, HANDLE token, DWORD flags,
                                              char* path);

// Typed views of a looked-up function (through void(*)() so the compiler
// accepts the cast between unrelated function types).
template <class F>
F ProcAs(FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}
template <class F>
FARPROC AsProc(F function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}
