#include "client/sys/system_api.h"

#include "client/sys/system_library.h"

CSystemApi::~CSystemApi() {}

BOOL CSystemApi::GetVersionEx(OSVERSIONINFOA* info) { return ::GetVersionExA(info); }
HMODULE CSystemApi::LoadSystemLibrary(const char* name) { return LoadSystemFolderLibrary(name); }
HMODULE CSystemApi::GetModuleHandle(const char* name) { return ::GetModuleHandleA(name); }
FARPROC CSystemApi::GetProcAddress(HMODULE module, const char* name) {
  return ::GetProcAddress(module, name);
}
BOOL CSystemApi::FreeLibrary(HMODULE module) { return ::FreeLibrary(module); }
HANDLE CSystemApi::GetCurrentProcess() { return ::GetCurrentProcess(); }
BOOL CSystemApi::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
DWORD CSystemApi::GetModuleFileName(char* buffer, DWORD size) {
  return ::GetModuleFileNameA(nullptr, buffer, size);
}
DWORD CSystemApi::GetCurrentDirectory(DWORD size, char* buffer) {
  return ::GetCurrentDirectoryA(size, buffer);
}
BOOL CSystemApi::ShellExecuteEx(SHELLEXECUTEINFOA* info) { return ::ShellExecuteExA(info); }
HINSTANCE CSystemApi::ShellExecute(HWND owner, const char* verb, const char* file,
                                   const char* parameters, const char* directory, int show) {
  return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
}
DWORD CSystemApi::WaitForSingleObject(HANDLE handle, DWORD ms) {
  return ::WaitForSingleObject(handle, ms);
}
int CSystemApi::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(owner, text, caption, type);
}
const char* CSystemApi::GetCommandLine() { return ::GetCommandLineA(); }

namespace {
CSystemApi g_win32Api;
CSystemApi* g_installed = nullptr;
DWORD g_generation = 0;
}  // namespace

CSystemApi* GetSystemApi() { return g_installed ? g_installed : &g_win32Api; }

CSystemApi* SetSystemApi(CSystemApi* api) {
  CSystemApi* previous = GetSystemApi();
  g_installed = api;
  ++g_generation;
  return previous;
}

DWORD GetSystemApiGeneration() { return g_generation; }
