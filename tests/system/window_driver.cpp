// Drives the windows of a real program from a system test, run under the
// same Wine prefix (tests/system/peers/window_driver.py is its Python side).
//
// As window_driver.exe it reads one command per line from stdin and answers
// each with lines ending in "end"; every wait is bounded by the command.
// Texts are UTF-8 with \\, \t, \n and \r escaped; windows are hexadecimal.
//   find CLASS MS           window HWND PID TITLE, or none (waits up to MS)
//   post HWND MSG WP LP     posted 1/0 (numbers decimal or 0x hex)
//   send HWND MSG WP LP     result N (messages without pointers only)
//   boxes HWND MIN MS CLASS waits up to MS for MIN visible top-level windows
//                           of CLASS in the window's process; box BOX OWNER
//                           BUTTONS\tCAPTION\tTEXT for each (button ids)
//   answer BOX ID           posts the button's WM_COMMAND; closed 1/0 (5 s)
//   tray HWND ID            tray 1/0: the notification area has the icon
//   classes KEY VALUE       old TEXT or old -: sets the default value of
//                           HKEY_CLASSES_ROOT\KEY (VALUE "-" deletes it)
//   desktop NAME            desktop 1/0: windows are looked for there from now
//   child HWND ID           child HWND, or none: the descendant with that id
//   style HWND              style HEX
//
// Under any other name (a copy placed where a program will start it) it is
// a stand-in: it writes NAME.txt beside itself with its command line, show
// state and the content of its last argument when that names a file, and ends.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// The program's texts are Shift-JIS (code page 932).
std::string WindowText(HWND hWnd) {
  char text[2048] = "";
  GetWindowTextA(hWnd, text, sizeof(text));
  return Escape(Utf8(Wide(text, 932)));
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

// Polls until done() or ms have passed; the last answer of done().
template <class F>
bool WaitFor(DWORD ms, F done) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start >= ms) return false;
  }
  return true;
}

void Reply(const std::string& line) { std::printf("%s\n", line.c_str()); }

struct Query {  // visible top-level windows of a class and process; box parts
  std::string name;
  DWORD pid;
  std::vector<HWND> found;
  std::string buttons, text;
};

BOOL CALLBACK CollectTopLevel(HWND hWnd, LPARAM lParam) {
  auto* q = reinterpret_cast<Query*>(lParam);
  if (ClassOf(hWnd) == q->name && ProcessOf(hWnd) == q->pid && IsWindowVisible(hWnd)) q->found.push_back(hWnd);
  return TRUE;
}

BOOL CALLBACK CollectBoxParts(HWND child, LPARAM lParam) {
  auto* q = reinterpret_cast<Query*>(lParam);
  std::string kind = ClassOf(child), text = WindowText(child);
  if (lstrcmpiA(kind.c_str(), "Button") == 0) {
    q->buttons += (q->buttons.empty() ? "" : ",") + std::to_string(GetDlgCtrlID(child));
  } else if (lstrcmpiA(kind.c_str(), "Static") == 0 && !text.empty()) {
    q->text += (q->text.empty() ? "" : "\\n") + text;
  }
  return TRUE;
}

BOOL CALLBACK FindControl(HWND child, LPARAM lParam) {
  auto* q = reinterpret_cast<std::pair<int, HWND>*>(lParam);
  if (GetDlgCtrlID(child) == q->first) q->second = child;
  return q->second ? FALSE : TRUE;
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
  auto message = [&](auto call) {
    return call(Handle(arg(1)), static_cast<UINT>(Number(arg(2))), static_cast<WPARAM>(Number(arg(3))),
                static_cast<LPARAM>(Number(arg(4))));
  };
  const std::string& verb = w[0];
  if (verb == "find") {
    HWND found = nullptr;
    WaitFor(static_cast<DWORD>(Number(arg(2))), [&] { return (found = FindWindowA(arg(1).c_str(), nullptr)) != nullptr; });
    Reply(found ? "window " + Hex(found) + " " + std::to_string(ProcessOf(found)) + " " + WindowText(found) : "none");
  } else if (verb == "post") {
    Reply(message(PostMessageA) ? "posted 1" : "posted 0");
  } else if (verb == "send") {
    DWORD_PTR result = 0;
    message([&](HWND h, UINT m, WPARAM wp, LPARAM lp) {
      return SendMessageTimeoutA(h, m, wp, lp, SMTO_ABORTIFHUNG, 10000, &result);
    });
    Reply("result " + std::to_string(static_cast<long long>(static_cast<LONG_PTR>(result))));
  } else if (verb == "boxes") {
    Query query;
    WaitFor(static_cast<DWORD>(Number(arg(3))), [&] {
      query = {arg(4), ProcessOf(Handle(arg(1))), {}, "", ""};
      if (query.pid) EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
      return query.found.size() >= Number(arg(2));
    });
    for (HWND box : query.found) {
      Query parts;
      EnumChildWindows(box, CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
      Reply("box " + Hex(box) + " " + Hex(GetWindow(box, GW_OWNER)) + " " + (parts.buttons.empty() ? "-" : parts.buttons) +
            "\t" + WindowText(box) + "\t" + parts.text);
    }
  } else if (verb == "answer") {
    HWND box = Handle(arg(1));
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(Number(arg(2))), 0);
    Reply(WaitFor(5000, [&] { return !IsWindow(box) || !IsWindowVisible(box); }) ? "closed 1" : "closed 0");
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
  } else if (verb == "child") {
    std::pair<int, HWND> query(static_cast<int>(Number(arg(2))), nullptr);
    EnumChildWindows(Handle(arg(1)), FindControl, reinterpret_cast<LPARAM>(&query));
    Reply(query.second ? "child " + Hex(query.second) : "none");
  } else if (verb == "style") {
    Reply("style " + std::to_string(static_cast<DWORD>(GetWindowLongA(Handle(arg(1)), GWL_STYLE))));
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

  char line[4096];
  while (std::fgets(line, sizeof(line), stdin)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::vector<std::string> words;
    for (size_t i = 0, j = 0; i <= text.size(); i = j + 1) {
      j = std::min(text.find(' ', i), text.size());
      words.push_back(text.substr(i, j - i));
    }
    if (words[0] == "quit") break;
    if (!words[0].empty()) Command(words, text.substr(std::min(text.find(' '), text.size())));
    Reply("end");
    std::fflush(stdout);
  }
  return 0;
}
