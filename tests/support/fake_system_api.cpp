#include "support/fake_system_api.h"

#include <string.h>

#include "client/sys/system_library.h"

namespace {
CFakeSystemApi* g_current = nullptr;

// Handles the fake hands out; never real kernel objects.
template <class T>
T Fake(int n) { return reinterpret_cast<T>(static_cast<INT_PTR>(0x7A000000 + n)); }
HMODULE const kAdvapi = Fake<HMODULE>(1), kShellLib = Fake<HMODULE>(2), kKernel = Fake<HMODULE>(3),
              kShell32 = Fake<HMODULE>(4), kShfolder = Fake<HMODULE>(5);
HANDLE const kProcess = Fake<HANDLE>(6), kToken = Fake<HANDLE>(7), kChild = Fake<HANDLE>(8);

bool IsFake(const void* h) { return h >= Fake<void*>(1) && h <= Fake<void*>(8); }
std::string Text(const char* s) { return s ? s : ""; }
bool Is(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }
}  // namespace

std::string CFakeSystemApi::ShellCall::Text() const {
  return verb + "|" + file + "|" + parameters + "|" + directory + "|" + std::to_string(show) + "|" +
         std::to_string(mask);
}

CFakeSystemApi::CFakeSystemApi() : pPrevious(SetSystemApi(this)), pPreviousFake(g_current) {
  g_current = this;
}

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
  info->dwBuildNumber = 1;
  info->szCSDVersion[0] = 0;
  return TRUE;
}

HMODULE CFakeSystemApi::LoadSystemLibrary(const char* name) {
  HMODULE module = nullptr;
  if (Is(name, "ADVAPI32.DLL")) {
    module = kAdvapi;
  } else if (Is(name, "shell32.dll") || Is(name, "shfolder.dll")) {
    loadedShellLibraries.push_back(name);
    if (bMissingShellFolders) module = kShellLib;
    else if (bFakeShellFolders) module = Is(name, "shell32.dll") ? kShell32 : kShfolder;
  }
  if (!module) module = LoadSystemFolderLibrary(name);
  if (module) ++nLoadedLibraries;
  return module;
}

HMODULE CFakeSystemApi::GetModuleHandle(const char* name) {
  return Is(name, "KERNEL32") ? kKernel : ::GetModuleHandleA(name);
}

FARPROC CFakeSystemApi::GetProcAddress(HMODULE module, const char* name) {
  auto named = [name](const char* wanted) { return strcmp(name, wanted) == 0; };
  if (module == kAdvapi) {
    if (bMissingTokenApi) return nullptr;
    if (named("OpenProcessToken")) return AsProc(&OpenProcessToken);
    return named("GetTokenInformation") ? AsProc(&GetTokenInformation) : nullptr;
  }
  if (module == kShell32 || module == kShfolder) {
    BOOL bShell32 = module == kShell32;
    sLookupLibrary = bShell32 ? "shell32" : "shfolder";
    if (named("SHGetSpecialFolderPathA") && bShell32 && bShell32HasSpecialFolderPath)
      return AsProc(&SpecialFolderPath);
    if (named("SHGetFolderPathA") && (!bShell32 || bShell32HasFolderPath)) return AsProc(&FolderPath);
    return nullptr;
  }
  if (module == kKernel)
    return bHaveRegisterServiceProcess && named("RegisterServiceProcess") ? AsProc(&RegisterServiceProcess)
                                                                           : nullptr;
  return module == kShellLib ? nullptr : ::GetProcAddress(module, name);
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
  if (Fail(bFailModuleFileName || size == 0)) return 0;
  lstrcpynA(buffer, sModulePath.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

DWORD CFakeSystemApi::GetCurrentDirectory(DWORD size, char* buffer) {
  if (Fail(bFailCurrentDirectory || size == 0)) return 0;
  lstrcpynA(buffer, sCurrentDirectory.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

BOOL CFakeSystemApi::ShellExecuteEx(SHELLEXECUTEINFOA* info) {
  shellCalls.push_back({Text(info->lpVerb), Text(info->lpFile), Text(info->lpParameters),
                        Text(info->lpDirectory), info->nShow, info->fMask});
  if (bFailShell) {
    SetLastError(ERROR_CANCELLED);
    info->hProcess = nullptr;
    return FALSE;
  }
  info->hInstApp = reinterpret_cast<HINSTANCE>(33);
  info->hProcess = (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? kChild : nullptr;
  return TRUE;
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

BOOL WINAPI CFakeSystemApi::GetTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS cls, void* info,
                                                DWORD size, DWORD* returned) {
  if (g_current->Fail(g_current->bFailTokenInfo || cls != TokenElevationType || size < 4)) return FALSE;
  *static_cast<DWORD*>(info) = g_current->dwElevationType;
  if (returned) *returned = sizeof(DWORD);
  return TRUE;
}

BOOL WINAPI CFakeSystemApi::SpecialFolderPath(HWND, char* path, int csidl, BOOL create) {
  CFakeSystemApi* api = g_current;
  api->folderCalls.push_back(api->sLookupLibrary + " SHGetSpecialFolderPathA " +
                             std::to_string(csidl) + " " + std::to_string(create));
  if (api->bFailSpecialFolderPath) return FALSE;
  lstrcpynA(path, (api->sSpecialFolder + "\\" + std::to_string(csidl)).c_str(), MAX_PATH);
  return TRUE;
}

HRESULT WINAPI CFakeSystemApi::FolderPath(HWND, int csidl, HANDLE, DWORD flags, char* path) {
  CFakeSystemApi* api = g_current;
  api->folderCalls.push_back(api->sLookupLibrary + " SHGetFolderPathA " + std::to_string(csidl) +
                             " " + std::to_string(flags));
  if (api->bFailFolderPath) return E_FAIL;
  lstrcpynA(path, (api->sSpecialFolder + "\\" + std::to_string(csidl & 0xFF)).c_str(), MAX_PATH);
  return S_OK;
}

DWORD WINAPI CFakeSystemApi::RegisterServiceProcess(DWORD processId, DWORD type) {
  g_current->serviceProcessCalls.push_back(std::to_string(processId) + " " + std::to_string(type));
  return 1;
}
