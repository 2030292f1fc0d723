// Drives the windows of a real program from a system test under the same Wine prefix (peers/window_driver.py does
// the waiting and choosing). As window_driver.exe it reads one command a line from stdin and answers each with lines
// ending in "end"; texts are UTF-8 with \\, \t, \n and \r escaped, windows and styles hexadecimal.
//   windows                 HWND PID OWNER STYLE CLASS\tTITLE: each top-level window
//   children HWND           HWND ID CLASS\tTEXT: each descendant of the window
//   post HWND MSG WP LP     posted 1/0
//   send HWND MSG WP LP     result N (messages without pointers only)
//   tray HWND ID            tray 1/0: the notification area has the icon
//   classes KEY VALUE       old TEXT or old -: sets the default of HKEY_CLASSES_ROOT\KEY (VALUE "-" deletes it)
//   desktop NAME            desktop 1/0: windows are looked for there from now
// Under any other name it is a stand-in: it writes NAME.txt beside itself with its command line, show state and the
// content of its last argument when that names a file, and ends.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::wstring Wide(const std::string& text, UINT codePage) {
  std::wstring out(text.size(), L'\0');
  out.resize(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                 static_cast<int>(out.size())));
  return out;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    const char* escaped = c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : nullptr;
    out += escaped ? escaped : std::string(1, c);
  }
  return out;
}

// Class and text; the program's texts are Shift-JIS (code page 932).
std::string Describe(HWND hWnd) {
  char name[256] = "", text[2048] = "";
  GetClassNameA(hWnd, name, sizeof(name));
  GetWindowTextA(hWnd, text, sizeof(text));
  return std::string(name) + "\t" + Escape(Utf8(Wide(text, 932)));
}

std::string Hex(ULONG_PTR value) {
  char text[32];
  std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Hex(HWND hWnd) { return Hex(reinterpret_cast<ULONG_PTR>(hWnd)); }
ULONG_PTR Number(const std::string& text) { return static_cast<ULONG_PTR>(std::strtoull(text.c_str(), nullptr, 0)); }
HWND Handle(const std::string& text) { return reinterpret_cast<HWND>(Number(text)); }
void Reply(const std::string& line) { std::printf("%s\n", line.c_str()); }

BOOL CALLBACK ListTopLevel(HWND hWnd, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  Reply(Hex(hWnd) + " " + std::to_string(pid) + " " + Hex(GetWindow(hWnd, GW_OWNER)) + " " +
        Hex(static_cast<DWORD>(GetWindowLongA(hWnd, GWL_STYLE))) + " " + Describe(hWnd));
  return TRUE;
}

BOOL CALLBACK ListChild(HWND hWnd, LPARAM) {
  Reply(Hex(hWnd) + " " + std::to_string(GetDlgCtrlID(hWnd)) + " " + Describe(hWnd));
  return TRUE;
}

std::string SetClassesDefault(const std::string& key, const std::string& value) {
  HKEY hKey;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, Wide(key, CP_UTF8).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                      nullptr))
    return "failed";
  wchar_t old[1024];
  DWORD size = sizeof(old) - sizeof(wchar_t), type = 0;
  std::string previous = "-";
  if (RegQueryValueExW(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == 0 && type == REG_SZ)
    previous = Escape(Utf8(std::wstring(old, size / sizeof(wchar_t)).c_str()));
  std::wstring wide = Wide(value, CP_UTF8);
  if (value == "-") RegDeleteValueW(hKey, nullptr);
  else RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                      static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(hKey);
  return "old " + previous;
}

void Command(const std::vector<std::string>& w, const std::string& rest) {
  auto arg = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };
  UINT uMsg = static_cast<UINT>(Number(arg(2)));
  WPARAM wParam = static_cast<WPARAM>(Number(arg(3)));
  LPARAM lParam = static_cast<LPARAM>(Number(arg(4)));
  const std::string& verb = w[0];
  if (verb == "windows") {
    EnumWindows(ListTopLevel, 0);
  } else if (verb == "children") {
    EnumChildWindows(Handle(arg(1)), ListChild, 0);
  } else if (verb == "post") {
    Reply(PostMessageA(Handle(arg(1)), uMsg, wParam, lParam) ? "posted 1" : "posted 0");
  } else if (verb == "send") {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Handle(arg(1)), uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
    Reply("result " + std::to_string(static_cast<long long>(static_cast<LONG_PTR>(result))));
  } else if (verb == "tray") {
    // Changing nothing succeeds only for an icon the notification area has.
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = Handle(arg(1));
    nid.uID = static_cast<UINT>(Number(arg(2)));
    Reply(Shell_NotifyIconA(NIM_MODIFY, &nid) ? "tray 1" : "tray 0");
  } else if (verb == "classes") {
    size_t at = rest.find(' ', 1);  // the value may hold blanks
    Reply(SetClassesDefault(arg(1), at == std::string::npos ? "" : rest.substr(at + 1)));
  } else if (verb == "desktop") {
    // The desktop we leave is let go, so that a virtual desktop can end.
    static HDESK current = nullptr;
    HDESK desktop = OpenDesktopA(arg(1).c_str(), 0, FALSE, GENERIC_ALL);
    BOOL ok = desktop && SetThreadDesktop(desktop);
    if (ok && current) CloseDesktop(current);
    if (ok) current = desktop;
    else if (desktop) CloseDesktop(desktop);
    Reply(ok ? "desktop 1" : "desktop 0");
  } else {
    Reply("error unknown command " + verb);
  }
}

// The stand-in: NAME.txt beside the program, whole or not at all (the test
// reads it as soon as it exists).
int Record(const std::wstring& self) {
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string record = "command=" + Escape(Utf8(GetCommandLineW())) + "\nshow=" +
                       std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) + "\n";
  if (argv && argc > 1) {
    record += "last=" + Escape(Utf8(argv[argc - 1])) + "\n";
    HANDLE file = CreateFileW(argv[argc - 1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char buffer[8192];
      DWORD got = 0;
      ReadFile(file, buffer, sizeof(buffer), &got, nullptr);
      CloseHandle(file);
      record += "content=" + Escape(std::string(buffer, got)) + "\n";
    }
  }
  LocalFree(argv);
  std::wstring part = self + L".txt.part";
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  MoveFileExW(part.c_str(), (self + L".txt").c_str(), MOVEFILE_REPLACE_EXISTING);
  return 0;
}

}  // namespace

int main() {
  wchar_t self[MAX_PATH];
  std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  if (lstrcmpiW(path.substr(path.find_last_of(L"\\/") + 1).c_str(), L"window_driver.exe") != 0) return Record(path);

  for (std::string text; std::getline(std::cin, text);) {
    std::istringstream in(text);
    std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    if (!words.empty() && words[0] == "quit") break;
    if (!words.empty()) Command(words, text.substr(std::min(text.find(' '), text.size())));
    Reply("end");
    std::fflush(stdout);
  }
  return 0;
}
