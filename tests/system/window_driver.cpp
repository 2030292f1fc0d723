// Drives the windows of a real program from a system test, run under the
// same Wine prefix (tests/system/peers/window_driver.py is its Python side).
//
// As window_driver.exe it reads one command per line from stdin and answers
// each with lines ending in "end"; every wait is bounded by the command.
// Texts are UTF-8 with \\, \t, \n and \r escaped; windows are hexadecimal.
//   find CLASS MS           window HWND PID TITLE, or none (waits up to MS)
//   count CLASS             count N: top-level windows of the class
//   post HWND MSG WP LP     posted 1/0 (numbers decimal or 0x hex)
//   boxes HWND MIN MS       waits up to MS for MIN dialog boxes (#32770) of
//                           the window's process; box BOX OWNER BUTTONS
//                           CAPTION TEXT for each (BUTTONS: ids, comma-separated)
//   answer BOX ID           posts the button's WM_COMMAND; closed 1/0 (5 s)
//   popup HWND MS           waits up to MS for a visible popup menu (#32768)
//                           of the window's process: popup HWND, or none
//   tray HWND ID            tray 1/0: the notification area has the icon
//   classes KEY VALUE...    old TEXT or old -: sets the default value of
//                           HKEY_CLASSES_ROOT\KEY (VALUE "-" deletes it)
//   desktop NAME            desktop 1/0: windows are looked for in that
//                           desktop from then on (a Wine virtual desktop)
//   child HWND ID           child HWND, or none: the window's descendant
//                           control with that identifier
//   send HWND MSG WP LP     result N (messages without pointers only)
//   style HWND              style HEX: the window's style bits
//   quit
//
// Under any other name (a copy placed where a program will start it) it is
// a stand-in: it writes NAME.txt beside itself with its command line, show
// state and the content of its last argument when that names a file, and ends.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text, int length = -1) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
  if (length < 0 && !out.empty()) out.pop_back();  // the terminator
  return out;
}

std::wstring Wide(const std::string& text, UINT codePage) {
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

// The program's texts are Shift-JIS (code page 932).
std::string FromAnsi(const std::string& text) {
  std::wstring wide = Wide(text, 932);
  return Utf8(wide.c_str(), static_cast<int>(wide.size()));
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string WindowText(HWND hWnd) {
  char text[2048] = "";
  GetWindowTextA(hWnd, text, sizeof(text));
  return FromAnsi(text);
}

std::string ClassOf(HWND hWnd) {
  char name[256] = "";
  GetClassNameA(hWnd, name, sizeof(name));
  return name;
}

std::string Hex(HWND hWnd) {
  char text[32];
  std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)));
  return text;
}

ULONG_PTR Number(const std::string& text) { return static_cast<ULONG_PTR>(std::strtoull(text.c_str(), nullptr, 0)); }

HWND Handle(const std::string& text) { return reinterpret_cast<HWND>(Number(text)); }

DWORD ProcessOf(HWND hWnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hWnd, &pid);
  return pid;
}

// Top-level windows of a class, optionally only the visible ones of a process.
struct TopLevelQuery {
  std::string name;
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hWnd, LPARAM lParam) {
  auto* q = reinterpret_cast<TopLevelQuery*>(lParam);
  if (ClassOf(hWnd) != q->name) return TRUE;
  if (q->pid && ProcessOf(hWnd) != q->pid) return TRUE;
  if (q->visibleOnly && !IsWindowVisible(hWnd)) return TRUE;
  q->found.push_back(hWnd);
  return TRUE;
}

std::vector<HWND> TopLevel(const std::string& className, DWORD pid = 0, bool visibleOnly = false) {
  TopLevelQuery query{className, pid, visibleOnly, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

// Polls until done() or ms have passed; the last answer of done().
template <class F>
bool WaitFor(DWORD ms, F done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
}

void Reply(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// A box's button identifiers and the texts of its static controls.
struct BoxParts {
  std::string buttons, text;
};

BOOL CALLBACK CollectBoxParts(HWND child, LPARAM lParam) {
  auto* p = reinterpret_cast<BoxParts*>(lParam);
  std::string kind = ClassOf(child);
  if (lstrcmpiA(kind.c_str(), "Button") == 0) {
    p->buttons += (p->buttons.empty() ? "" : ",") + std::to_string(GetDlgCtrlID(child));
  } else if (lstrcmpiA(kind.c_str(), "Static") == 0) {
    std::string t = WindowText(child);
    if (!t.empty()) p->text += (p->text.empty() ? "" : "\n") + t;
  }
  return TRUE;
}

std::string DescribeBox(HWND box) {
  BoxParts parts;
  EnumChildWindows(box, CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
  return "box " + Hex(box) + " " + Hex(GetWindow(box, GW_OWNER)) + " " + (parts.buttons.empty() ? "-" : parts.buttons) +
         "\t" + Escape(WindowText(box)) + "\t" + Escape(parts.text);
}

// Control identifier -> the first descendant with it.
BOOL CALLBACK FindControl(HWND child, LPARAM lParam) {
  auto* q = reinterpret_cast<std::pair<int, HWND>*>(lParam);
  if (GetDlgCtrlID(child) == q->first) q->second = child;
  return q->second ? FALSE : TRUE;
}

std::string SetClassesDefault(const std::string& key, const std::string& value) {
  HKEY hKey;
  std::wstring wideKey = Wide(key, CP_UTF8);
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, wideKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr))
    return "failed";
  wchar_t old[1024];
  DWORD size = sizeof(old) - sizeof(wchar_t), type = 0;
  std::string previous = "-";
  if (RegQueryValueExW(hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == 0 && type == REG_SZ) {
    old[size / sizeof(wchar_t)] = 0;
    previous = Escape(Utf8(old));
  }
  if (value == "-") {
    RegDeleteValueW(hKey, nullptr);
  } else {
    std::wstring wide = Wide(value, CP_UTF8);
    RegSetValueExW(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(hKey);
  return "old " + previous;
}

void Command(const std::vector<std::string>& w, const std::string& rest) {
  const std::string& verb = w[0];
  auto arg = [&](size_t i) { return i < w.size() ? w[i] : std::string(); };
  if (verb == "find") {
    HWND found = nullptr;
    WaitFor(static_cast<DWORD>(Number(arg(2))), [&] { return (found = FindWindowA(arg(1).c_str(), nullptr)) != nullptr; });
    Reply(found ? "window " + Hex(found) + " " + std::to_string(ProcessOf(found)) + " " + Escape(WindowText(found))
                : "none");
  } else if (verb == "count") {
    Reply("count " + std::to_string(TopLevel(arg(1)).size()));
  } else if (verb == "post") {
    BOOL posted = PostMessageA(Handle(arg(1)), static_cast<UINT>(Number(arg(2))), static_cast<WPARAM>(Number(arg(3))),
                               static_cast<LPARAM>(Number(arg(4))));
    Reply(posted ? "posted 1" : "posted 0");
  } else if (verb == "boxes") {
    DWORD pid = ProcessOf(Handle(arg(1)));
    size_t wanted = Number(arg(2));
    std::vector<HWND> boxes;
    WaitFor(static_cast<DWORD>(Number(arg(3))), [&] {
      boxes = pid ? TopLevel("#32770", pid, true) : std::vector<HWND>();
      return boxes.size() >= wanted;
    });
    for (HWND box : boxes) Reply(DescribeBox(box));
  } else if (verb == "answer") {
    HWND box = Handle(arg(1));
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(Number(arg(2))), 0);
    Reply(WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); }) ? "closed 1" : "closed 0");
  } else if (verb == "popup") {
    DWORD pid = ProcessOf(Handle(arg(1)));
    std::vector<HWND> menus;
    WaitFor(static_cast<DWORD>(Number(arg(2))), [&] {
      menus = pid ? TopLevel("#32768", pid, true) : std::vector<HWND>();
      return !menus.empty();
    });
    Reply(menus.empty() ? "none" : "popup " + Hex(menus[0]));
  } else if (verb == "tray") {
    // Changing nothing succeeds only for an icon the notification area has.
    NOTIFYICONDATAA nid;
    ZeroMemory(&nid, sizeof(nid));
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = Handle(arg(1));
    nid.uID = static_cast<UINT>(Number(arg(2)));
    Reply(Shell_NotifyIconA(NIM_MODIFY, &nid) ? "tray 1" : "tray 0");
  } else if (verb == "classes") {
    Reply(SetClassesDefault(arg(1), rest));
  } else if (verb == "desktop") {
    // The desktop we leave is let go, so that a virtual desktop can end.
    static HDESK current = nullptr;
    HDESK desktop = OpenDesktopA(arg(1).c_str(), 0, FALSE, GENERIC_ALL);
    BOOL ok = desktop && SetThreadDesktop(desktop);
    if (ok && current) CloseDesktop(current);
    if (ok) current = desktop;
    else if (desktop) CloseDesktop(desktop);
    Reply(ok ? "desktop 1" : "desktop 0");
  } else if (verb == "child") {
    std::pair<int, HWND> query(static_cast<int>(Number(arg(2))), nullptr);
    EnumChildWindows(Handle(arg(1)), FindControl, reinterpret_cast<LPARAM>(&query));
    Reply(query.second ? "child " + Hex(query.second) : "none");
  } else if (verb == "send") {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Handle(arg(1)), static_cast<UINT>(Number(arg(2))), static_cast<WPARAM>(Number(arg(3))),
                        static_cast<LPARAM>(Number(arg(4))), SMTO_ABORTIFHUNG, 10000, &result);
    Reply("result " + std::to_string(static_cast<long long>(static_cast<LONG_PTR>(result))));
  } else if (verb == "style") {
    char text[32];
    std::snprintf(text, sizeof(text), "style 0x%08lx", static_cast<unsigned long>(GetWindowLongA(Handle(arg(1)), GWL_STYLE)));
    Reply(text);
  } else {
    Reply("error unknown command " + verb);
  }
}

// The stand-in: NAME.txt beside the program.
int Record() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring out = std::wstring(self, n) + L".txt";
  STARTUPINFOW startup;
  GetStartupInfoW(&startup);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string record = "command=" + Escape(Utf8(GetCommandLineW())) + "\n";
  record += "show=" + std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) + "\n";
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
  // Whole or not at all: the test reads it as soon as it exists.
  std::wstring part = out + L".part";
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
  return 0;
}

}  // namespace

int main() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  if (lstrcmpiW(name.c_str(), L"window_driver.exe") != 0) return Record();

  char line[4096];
  while (std::fgets(line, sizeof(line), stdin)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::vector<std::string> words;
    size_t restAt = std::string::npos;
    for (size_t i = 0; i < text.size();) {
      size_t j = text.find(' ', i);
      if (words.size() == 2 && restAt == std::string::npos) restAt = i;
      words.push_back(text.substr(i, j == std::string::npos ? std::string::npos : j - i));
      if (j == std::string::npos) break;
      i = j + 1;
    }
    if (words.empty()) continue;
    if (words[0] == "quit") break;
    Command(words, restAt == std::string::npos ? std::string() : text.substr(restAt));
    Reply("end");
    std::fflush(stdout);
  }
  return 0;
}
