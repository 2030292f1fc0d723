#include "support/fake_system_api.h"

#include "client/sys/system_library.h"

namespace {
CFakeSystemApi* g_current = nullptr;

// Handles the fake hands out; never real kernel objects.
template <class T>
T Fake(int n) { return reinterpret_cast<T>(static_cast<INT_PTR>(0x7A000000 + n)); }
HMODULE const kAdvapi = Fake<HMODULE>(1), kShell32 = Fake<HMODULE>(2);
HANDLE const kProcess = Fake<HANDLE>(4), kToken = Fake<HANDLE>(5), kChild = Fake<HANDLE>(6);

bool IsFake(const void* h) { return h >= Fake<void*>(1) && h <= Fake<void*>(6); }
std::string Text(const char* s) { return s ? s : ""; }
}  // namespace

CFakeSystemApi::CFakeSystemApi() : pPrevious(SetSystemApi(this)), pPreviousFake(g_current) { g_current = this; }

CFakeSystemApi::~CFakeSystemApi() {
  SetSystemApi(pPrevious);
  g_current = pPreviousFake;
}

BOOL CFakeSystemApi::Fail(BOOL bFail) {
  if (bFail) SetLastError(dwFailError);
  return bFail;
}

BOOL CFakeSystemApi::GetVersionEx(OSVERSIONINFOA* info) {
  if (Fail(bFailGetVersion)) return FALSE;
  info->dwMajorVersion = dwMajor;
  info->dwMinorVersion = dwMajor == 4 ? 10 : dwMajor == 5 ? 1 : 0;
  info->dwPlatformId = dwPlatform;
  return TRUE;
}

HMODULE CFakeSystemApi::LoadSystemLibrary(const char* name) {
  HMODULE module = !lstrcmpiA(name, "ADVAPI32.DLL") ? kAdvapi : nullptr;
  if (bFakeShellFolders && !lstrcmpiA(name, "shell32.dll")) module = kShell32;
  if (!module) module = LoadSystemFolderLibrary(name);
  nLoadedLibraries += module != nullptr;
  return module;
}

FARPROC CFakeSystemApi::GetProcAddress(HMODULE module, const char* name) {
  std::string wanted = name;
  if (module == kAdvapi) {
    if (bMissingTokenApi) return nullptr;
    return wanted == "OpenProcessToken" ? AsProc(&OpenProcessToken)
           : wanted == "GetTokenInformation" ? AsProc(&GetTokenInformation) : nullptr;
  }
  if (module != kShell32) return ::GetProcAddress(module, name);
  return wanted == "SHGetSpecialFolderPathA" ? AsProc(&SpecialFolderPath) : nullptr;
}

BOOL CFakeSystemApi::FreeLibrary(HMODULE module) {
  --nLoadedLibraries;
  return IsFake(module) ? TRUE : ::FreeLibrary(module);
}

HANDLE CFakeSystemApi::GetCurrentProcess() { return kProcess; }

BOOL CFakeSystemApi::CloseHandle(HANDLE handle) {
  if (Fail(bFailCloseHandle)) return FALSE;
  return IsFake(handle) ? TRUE : ::CloseHandle(handle);
}

DWORD CFakeSystemApi::GetModuleFileName(char* buffer, DWORD size) {
  lstrcpynA(buffer, sModulePath.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

DWORD CFakeSystemApi::GetCurrentDirectory(DWORD size, char* buffer) {
  if (Fail(bFailCurrentDirectory)) return 0;
  lstrcpynA(buffer, sCurrentDirectory.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

BOOL CFakeSystemApi::ShellExecuteEx(SHELLEXECUTEINFOA* info) {
  shellCalls.push_back({Text(info->lpVerb), Text(info->lpFile), Text(info->lpParameters), Text(info->lpDirectory),
                        info->nShow, info->fMask});
  info->hProcess = !bFailShell && (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? kChild : nullptr;
  if (bFailShell) SetLastError(ERROR_CANCELLED);
  return !bFailShell;
}

DWORD CFakeSystemApi::WaitForSingleObject(HANDLE handle, DWORD ms) {
  if (!IsFake(handle)) return ::WaitForSingleObject(handle, ms);
  waits.push_back(ms);
  return WAIT_OBJECT_0;
}

int CFakeSystemApi::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  boxes.push_back({Text(text), Text(caption), type, owner});
  if (answers.empty()) return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

const char* CFakeSystemApi::GetCommandLine() {
  return sCommandLine.empty() ? CSystemApi::GetCommandLine() : sCommandLine.c_str();
}

BOOL WINAPI CFakeSystemApi::OpenProcessToken(HANDLE, DWORD, HANDLE* token) {
  if (g_current->Fail(g_current->bFailOpenToken)) return FALSE;
  *token = kToken;
  return TRUE;
}

BOOL WINAPI CFakeSystemApi::GetTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS cls, void* info, DWORD size,
                                                DWORD* returned) {
  if (g_current->Fail(g_current->bFailTokenInfo || cls != TokenElevationType || size < 4)) return FALSE;
  *static_cast<DWORD*>(info) = g_current->dwElevationType;
  if (returned) *returned = sizeof(DWORD);
  return TRUE;
}

BOOL WINAPI CFakeSystemApi::SpecialFolderPath(HWND, char* path, int csidl, BOOL) {
  lstrcpynA(path, (g_current->sSpecialFolder + "\\" + std::to_string(csidl)).c_str(), MAX_PATH);
  return TRUE;
}
