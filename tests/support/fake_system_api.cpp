#include "support/fake_system_api.h"

#include <string.h>

#include "client/sys/system_library.h"

namespace {
CFakeSystemApi* g_current = nullptr;

// Handles the fake hands out; never real kernel objects.
HMODULE const kAdvapi = reinterpret_cast<HMODULE>(0x7A000001);
HMODULE const kShellLib = reinterpret_cast<HMODULE>(0x7A000002);
HMODULE const kKernel = reinterpret_cast<HMODULE>(0x7A000003);
HMODULE const kFakeShell32 = reinterpret_cast<HMODULE>(0x7A000004);
HMODULE const kFakeShfolder = reinterpret_cast<HMODULE>(0x7A000005);
HANDLE const kProcess = reinterpret_cast<HANDLE>(0x7B000001);
HANDLE const kToken = reinterpret_cast<HANDLE>(0x7B000002);
HANDLE const kChild = reinterpret_cast<HANDLE>(0x7B000003);

std::string Text(const char* s) { return s ? s : ""; }

BOOL IsFake(HANDLE h) {
  return h == kProcess || h == kToken || h == kChild;
}
}  // namespace

std::string CFakeSystemApi::ShellCall::Text() const {
  return verb + "|" + file + "|" + parameters + "|" + directory + "|" + std::to_string(show) + "|" +
         std::to_string(mask);
}

CFakeSystemApi::CFakeSystemApi() {
  pPrevious = SetSystemApi(this);
  g_current = this;
}

CFakeSystemApi::~CFakeSystemApi() {
  SetSystemApi(pPrevious);
  if (g_current == this) g_current = nullptr;
}

CFakeSystemApi* CFakeSystemApi::Current() { return g_current; }

void CFakeSystemApi::SetWindowsXP() {
  dwMajor = 5, dwMinor = 1, dwPlatform = VER_PLATFORM_WIN32_NT;
}
void CFakeSystemApi::SetWindows9x() {
  dwMajor = 4, dwMinor = 10, dwPlatform = VER_PLATFORM_WIN32_WINDOWS;
}
void CFakeSystemApi::SetVista(DWORD elevationType) {
  dwMajor = 6, dwMinor = 0, dwPlatform = VER_PLATFORM_WIN32_NT;
  dwElevationType = elevationType;
}

BOOL CFakeSystemApi::GetVersionEx(OSVERSIONINFOA* info) {
  if (bFailGetVersion) {
    SetLastError(dwFailError);
    return FALSE;
  }
  info->dwMajorVersion = dwMajor;
  info->dwMinorVersion = dwMinor;
  info->dwPlatformId = dwPlatform;
  info->dwBuildNumber = 1;
  info->szCSDVersion[0] = 0;
  return TRUE;
}

HMODULE CFakeSystemApi::LoadSystemLibrary(const char* name) {
  if (lstrcmpiA(name, "ADVAPI32.DLL") == 0) {
    ++nLoadedLibraries;
    return kAdvapi;
  }
  if (lstrcmpiA(name, "shell32.dll") == 0 || lstrcmpiA(name, "shfolder.dll") == 0) {
    loadedShellLibraries.push_back(name);
    if (bFakeShellFolders && !bMissingShellFolders) {
      ++nLoadedLibraries;
      return lstrcmpiA(name, "shell32.dll") == 0 ? kFakeShell32 : kFakeShfolder;
    }
    if (bMissingShellFolders) {
      ++nLoadedLibraries;
      return kShellLib;
    }
    HMODULE real = LoadSystemFolderLibrary(name);
    if (real) ++nLoadedLibraries;
    return real;
  }
  HMODULE real = LoadSystemFolderLibrary(name);
  if (real) ++nLoadedLibraries;
  return real;
}

HMODULE CFakeSystemApi::GetModuleHandle(const char* name) {
  if (lstrcmpiA(name, "KERNEL32") == 0) return kKernel;
  return ::GetModuleHandleA(name);
}

FARPROC CFakeSystemApi::GetProcAddress(HMODULE module, const char* name) {
  if (module == kAdvapi) {
    if (bMissingTokenApi) return nullptr;
    if (strcmp(name, "OpenProcessToken") == 0)
      return AsProc(&FakeOpenProcessToken);
    if (strcmp(name, "GetTokenInformation") == 0)
      return AsProc(&FakeGetTokenInformation);
    return nullptr;
  }
  if (module == kFakeShell32 || module == kFakeShfolder) {
    BOOL bShell32 = module == kFakeShell32;
    sLookupLibrary = bShell32 ? "shell32" : "shfolder";
    if (strcmp(name, "SHGetSpecialFolderPathA") == 0 && bShell32 && bShell32HasSpecialFolderPath)
      return AsProc(&FakeSpecialFolderPath);
    if (strcmp(name, "SHGetFolderPathA") == 0 && (!bShell32 || bShell32HasFolderPath))
      return AsProc(&FakeFolderPath);
    return nullptr;
  }
  if (module == kKernel) {
    if (bHaveRegisterServiceProcess && strcmp(name, "RegisterServiceProcess") == 0)
      return AsProc(&FakeRegisterServiceProcess);
    return nullptr;
  }
  if (module == kShellLib) return nullptr;
  return ::GetProcAddress(module, name);
}

BOOL CFakeSystemApi::FreeLibrary(HMODULE module) {
  --nLoadedLibraries;
  if (module == kAdvapi || module == kShellLib || module == kFakeShell32 || module == kFakeShfolder)
    return TRUE;
  return ::FreeLibrary(module);
}

HANDLE CFakeSystemApi::GetCurrentProcess() { return kProcess; }

BOOL CFakeSystemApi::CloseHandle(HANDLE handle) {
  if (bFailCloseHandle) {
    SetLastError(dwFailError);
    return FALSE;
  }
  if (IsFake(handle)) return TRUE;
  return ::CloseHandle(handle);
}

DWORD CFakeSystemApi::GetModuleFileName(char* buffer, DWORD size) {
  if (bFailModuleFileName || size == 0) {
    SetLastError(dwFailError);
    return 0;
  }
  lstrcpynA(buffer, sModulePath.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

DWORD CFakeSystemApi::GetCurrentDirectory(DWORD size, char* buffer) {
  if (bFailCurrentDirectory || size == 0) {
    SetLastError(dwFailError);
    return 0;
  }
  lstrcpynA(buffer, sCurrentDirectory.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(lstrlenA(buffer));
}

BOOL CFakeSystemApi::ShellExecuteEx(SHELLEXECUTEINFOA* info) {
  ShellCall call;
  call.verb = Text(info->lpVerb);
  call.file = Text(info->lpFile);
  call.parameters = Text(info->lpParameters);
  call.directory = Text(info->lpDirectory);
  call.show = info->nShow;
  call.mask = info->fMask;
  shellCalls.push_back(call);
  if (bPassThrough) return ::ShellExecuteExA(info);
  if (bFailShell) {
    SetLastError(ERROR_CANCELLED);
    info->hProcess = nullptr;
    return FALSE;
  }
  info->hInstApp = reinterpret_cast<HINSTANCE>(33);
  info->hProcess = (info->fMask & SEE_MASK_NOCLOSEPROCESS) ? kChild : nullptr;
  return TRUE;
}

HINSTANCE CFakeSystemApi::ShellExecute(HWND owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory, int show) {
  ShellCall call;
  call.verb = Text(verb);
  call.file = Text(file);
  call.parameters = Text(parameters);
  call.directory = Text(directory);
  call.show = show;
  call.extended = FALSE;
  shellCalls.push_back(call);
  if (bPassThrough) return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
  return reinterpret_cast<HINSTANCE>(bFailShell ? 2 : 33);
}

DWORD CFakeSystemApi::WaitForSingleObject(HANDLE handle, DWORD ms) {
  if (!IsFake(handle)) return ::WaitForSingleObject(handle, ms);
  waits.push_back(ms);
  return WAIT_OBJECT_0;
}

int CFakeSystemApi::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  Box box;
  box.text = Text(text);
  box.caption = Text(caption);
  box.type = type;
  box.owner = owner;
  boxes.push_back(box);
  if (!answers.empty()) {
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

BOOL WINAPI CFakeSystemApi::FakeOpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
  CFakeSystemApi* api = g_current;
  if (!api || api->bFailOpenToken) {
    SetLastError(api ? api->dwFailError : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *token = kToken;
  return TRUE;
}

BOOL WINAPI CFakeSystemApi::FakeGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls,
                                                    void* info, DWORD size, DWORD* returned) {
  CFakeSystemApi* api = g_current;
  if (!api || api->bFailTokenInfo || cls != TokenElevationType || size < sizeof(DWORD)) {
    SetLastError(api ? api->dwFailError : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *static_cast<DWORD*>(info) = api->dwElevationType;
  if (returned) *returned = sizeof(DWORD);
  return TRUE;
}

const char* CFakeSystemApi::GetCommandLine() {
  return sCommandLine.empty() ? CSystemApi::GetCommandLine() : sCommandLine.c_str();
}

BOOL WINAPI CFakeSystemApi::FakeSpecialFolderPath(HWND owner, char* path, int csidl, BOOL create) {
  CFakeSystemApi* api = g_current;
  if (!api) return FALSE;
  api->folderCalls.push_back(api->sLookupLibrary + " SHGetSpecialFolderPathA " +
                             std::to_string(csidl) + " " + std::to_string(create));
  if (api->bFailSpecialFolderPath) return FALSE;
  lstrcpynA(path, (api->sSpecialFolder + "\\" + std::to_string(csidl)).c_str(), MAX_PATH);
  return TRUE;
}

HRESULT WINAPI CFakeSystemApi::FakeFolderPath(HWND owner, int csidl, HANDLE token, DWORD flags,
                                              char* path) {
  CFakeSystemApi* api = g_current;
  if (!api) return E_FAIL;
  api->folderCalls.push_back(api->sLookupLibrary + " SHGetFolderPathA " + std::to_string(csidl) +
                             " " + std::to_string(flags));
  if (api->bFailFolderPath) return E_FAIL;
  lstrcpynA(path, (api->sSpecialFolder + "\\" + std::to_string(csidl & 0xFF)).c_str(), MAX_PATH);
  return S_OK;
}

DWORD WINAPI CFakeSystemApi::FakeRegisterServiceProcess(DWORD processId, DWORD type) {
  CFakeSystemApi* api = g_current;
  if (!api) return 0;
  api->serviceProcessCalls.push_back(std::to_string(processId) + " " + std::to_string(type));
  return 1;
}
