#pragma once
// Plays the user of the modal dialogs that the test's thread shows: a second
// thread finds a dialog by its caption, types into its edits (WM_CHAR, one
// per byte, as the keyboard delivers them), clicks buttons and reads the
// message boxes. Every wait is bounded; whatever the script leaves open is
// cancelled at its end, so a failed step cannot hang the test.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "core/clock.h"

class CDialogDriver {
 public:
  static constexpr DWORD kWaitMs = 10000;

  explicit CDialogDriver(std::function<void(CDialogDriver&)> script)
      : dwThread(GetCurrentThreadId()), worker([this, script] {
          script(*this);
          for (int i = 0; i < 100 && CancelOpenDialog(); ++i) GetWin32Clock()->Sleep(100);
        }) {}
  ~CDialogDriver() { worker.join(); }

  // The visible dialog or message box with this caption, or nullptr.
  HWND Wait(const std::string& caption) {
    for (DWORD start = GetWin32Clock()->GetTickCount(); GetWin32Clock()->GetTickCount() - start < kWaitMs;) {
      HWND h = FindWindowA("#32770", caption.c_str());
      if (h != nullptr && IsWindowVisible(h)) return h;
      GetWin32Clock()->Sleep(20);
    }
    return nullptr;
  }
  // Whether the window went within the bound.
  bool WaitGone(HWND h) {
    for (int i = 0; i < 500 && IsWindow(h) && IsWindowVisible(h); ++i) GetWin32Clock()->Sleep(20);
    return !IsWindow(h) || !IsWindowVisible(h);
  }
  static void Type(HWND hDialog, int nId, const char* pszText, bool bReplace = true) {
    HWND hEdit = GetDlgItem(hDialog, nId);
    if (bReplace) {
      SendMessageA(hEdit, EM_SETSEL, 0, -1);
      PostMessageA(hEdit, WM_CHAR, VK_BACK, 0);
    }
    for (const char* p = pszText; *p != 0; ++p) PostMessageA(hEdit, WM_CHAR, static_cast<BYTE>(*p), 0);
  }
  static void Click(HWND hDialog, int nId) { PostMessageA(GetDlgItem(hDialog, nId), BM_CLICK, 0, 0); }
  static std::string ItemText(HWND hDialog, int nId) {
    char szText[1024] = "";
    SendMessageA(GetDlgItem(hDialog, nId), WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
    return szText;
  }
  // The texts of a dialog's static controls, each followed by "|".
  static std::string Texts(HWND hDialog) {
    std::string texts;
    for (HWND h = GetWindow(hDialog, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      char szClass[16] = "", szText[1024] = "";
      GetClassNameA(h, szClass, sizeof(szClass));
      SendMessageA(h, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
      bool bPicture = (GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
      if (lstrcmpiA(szClass, "Static") == 0 && !bPicture && szText[0] != 0) texts += std::string(szText) + "|";
    }
    return texts;
  }

 private:
  bool CancelOpenDialog() {
    HWND hFound = nullptr;
    EnumThreadWindows(dwThread, FindDialog, reinterpret_cast<LPARAM>(&hFound));
    if (hFound != nullptr) PostMessageA(hFound, WM_COMMAND, IDCANCEL, 0);
    return hFound != nullptr;
  }

  static BOOL CALLBACK FindDialog(HWND h, LPARAM lFound) {
    char szClass[16] = "";
    GetClassNameA(h, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(lFound) = h;
    return FALSE;
  }

  DWORD dwThread;
  std::thread worker;
};

// Runs modal() on this thread while script plays the user; modal's result,
// once the script has ended (so that it cannot touch a later dialog).
template <class Modal>
auto Drive(std::function<void(CDialogDriver&)> script, Modal modal) {
  CDialogDriver driver(std::move(script));
  return modal();
}
