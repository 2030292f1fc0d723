#pragma once
// Helpers of the client application tests: an SNTP server on 127.0.0.1:123
// (under Wine replies come from 127.0.0.1 whatever a socket is bound to)
// that answers request n with answer n of its script (later ones with the
// last): the server clock that many ms ahead of the installed clock, kBad
// (a reply of the wrong mode) or kSilent; a run log without list control;
// a main window that records; a second thread that plays the user.
#include <winsock.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "client/correction_scheduler.h"
#include "core/clock.h"
#include "core/system_time.h"

class CNtpResponder {
 public:
  static constexpr LONG kBad = LONG_MIN, kSilent = LONG_MIN + 1;
  explicit CNtpResponder(std::vector<LONG> script) : aScript(std::move(script)), hSocket(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in sa = {AF_INET, htons(123), {}, {}};
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    bBound = bind(hSocket, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    worker = std::thread([this] {
      NTP_PACKET p;
      sockaddr_in from;
      for (int n = sizeof(from); recvfrom(hSocket, reinterpret_cast<char*>(&p), kNtpPacketSize, 0,
                                          reinterpret_cast<sockaddr*>(&from), &n) != SOCKET_ERROR;) {
        LONG nAhead = aScript[std::min<size_t>(nRequests++, aScript.size() - 1)];
        if (nAhead == kSilent) continue;
        CSystemTime now;
        GetClock()->GetSystemTime(&now);
        now.AddMilliseconds(nAhead == kBad ? 0 : nAhead);
        p.tsOriginate = p.tsTransmit;
        p.SetTransmitTime(now);
        p.SetHeader((nAhead == kBad ? 0x23020000 : 0x24020000) | 0xEC);  // mode 3 or 4, stratum 2
        sendto(hSocket, reinterpret_cast<char*>(&p), kNtpPacketSize, 0, reinterpret_cast<sockaddr*>(&from), n);
      }
    });
  }
  ~CNtpResponder() {
    closesocket(hSocket);  // ends the receive
    worker.join();
  }
  bool bBound = false;
  std::atomic<int> nRequests{0};

 private:
  std::vector<LONG> aScript;
  SOCKET hSocket;
  std::thread worker;
};

class CRecordingView : public CLogListView {
 public:
  int GetCount() override { return static_cast<int>(aItems.size()); }
  void DeleteItem(int nIndex) override { aItems.erase(aItems.begin() + nIndex); }
  int AddItem(NTP_ACTIONLOG_INFO* pEntry) override { return aItems.emplace_back(pEntry), GetCount() - 1; }
  void SetSelection(int) override {}
  // "kind@server" of each line since the last call.
  std::string Runs() {
    std::string sRuns;
    for (; nSeen < aItems.size(); ++nSeen) {
      std::string sLine(aItems[nSeen]->sText);
      size_t nFrom = sLine.find("( ") + 2;
      sRuns += " " + std::to_string(aItems[nSeen]->nKind) + "@" + sLine.substr(nFrom, sLine.find(' ', nFrom) - nFrom);
    }
    return sRuns.empty() ? sRuns : sRuns.substr(1);
  }
  std::vector<std::unique_ptr<NTP_ACTIONLOG_INFO>> aItems;
  size_t nSeen = 0;
};

class CRecordingWindow : public CSchedulerWindow {
 public:
  UINT_PTR SetTimer(UINT_PTR nId, UINT) override { return nId; }
  void KillTimer(UINT_PTR nId) override { aPosted.push_back(static_cast<UINT>(nId)); }
  void PostCommand(UINT nId) override { aPosted.push_back(nId); }
  void SetStatusText(int nPart, const char* pszText) override { asText[nPart] = pszText; }
  void RunDiagnosis() override { ++nDiagnoses; }
  std::vector<UINT> aPosted;  // the commands posted and the timers killed
  std::string asText[3];
  int nDiagnoses = 0;
};

// With VANTRO_SHOT_HOLD set (screenshots.py runs the tests so), a window of
// a class and caption not seen before is shown and held until photographed:
// its rectangle and caption go into HOLD-n.ready; HOLD-n.done lets it go.
// pump() runs meanwhile (the test's thread pumps for its own windows).
inline void HoldForPhoto(HWND h, std::function<void()> pump = [] { GetWin32Clock()->Sleep(100); }) {
  static std::set<std::string> seen;
  static int nShots = 0;
  char szCaption[256] = "", szClass[64] = "";
  GetWindowTextA(h, szCaption, sizeof(szCaption));
  GetClassNameA(h, szClass, sizeof(szClass));
  const char* pszHold = getenv("VANTRO_SHOT_HOLD");
  if (pszHold == nullptr || h == nullptr || !seen.insert(std::string(szClass) + szCaption).second) return;
  ShowWindow(h, SW_SHOWNA);
  RECT rc;
  GetWindowRect(h, &rc);
  std::string sName = std::string(pszHold) + "-" + std::to_string(++nShots);
  std::ofstream(sName + ".ready") << rc.left << " " << rc.top << " " << rc.right - rc.left << " "
                                  << rc.bottom - rc.top << " " << szCaption;
  for (int i = 0; i < 600 && GetFileAttributesA((sName + ".done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) pump();
}

// Plays the user of the modal dialog that modal() shows on this thread:
// finds windows by caption, types (WM_CHAR per byte, as the keyboard
// delivers them) and clicks. Bounded waits; whatever the script leaves open
// is cancelled, and it ends before modal's result is returned.
class CUser {
 public:
  HWND Wait(const char* pszCaption) {
    for (int i = 0; i < 500; ++i, GetWin32Clock()->Sleep(20)) {
      HWND h = FindWindowA("#32770", pszCaption);
      if (h != nullptr && IsWindowVisible(h)) return HoldForPhoto(h), h;
    }
    return nullptr;
  }
  static bool WaitGone(HWND h) {
    for (int i = 0; i < 500 && IsWindowVisible(h); ++i) GetWin32Clock()->Sleep(20);
    return !IsWindowVisible(h);
  }
  static void Type(HWND hDialog, int nId, const char* pszText) {
    HWND hEdit = GetDlgItem(hDialog, nId);
    SendMessageA(hEdit, EM_SETSEL, 0, -1);
    PostMessageA(hEdit, WM_CHAR, VK_BACK, 0);
    for (const char* p = pszText; *p != 0; ++p) PostMessageA(hEdit, WM_CHAR, static_cast<BYTE>(*p), 0);
  }
  static void Click(HWND hDialog, int nId) { PostMessageA(GetDlgItem(hDialog, nId), BM_CLICK, 0, 0); }
  // The text of one control, or (nId 0) those of the texts shown, each with "|".
  static std::string Text(HWND hDialog, int nId = 0) {
    std::string texts;
    for (HWND h = GetWindow(hDialog, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      char szText[1024] = "", szClass[16] = "";
      SendMessageA(h, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
      GetClassNameA(h, szClass, sizeof(szClass));
      if (nId != 0 && GetDlgCtrlID(h) == nId) return szText;
      bool bPicture = (GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
      if (nId == 0 && !lstrcmpiA(szClass, "Static") && !bPicture && szText[0] != 0) texts += std::string(szText) + "|";
    }
    return texts;
  }
};

template <class Modal>
auto Drive(std::function<void(CUser&)> script, Modal modal) {
  std::thread user([script] {
    CUser u;
    script(u);
    for (int i = 0; i < 100; ++i, GetWin32Clock()->Sleep(100)) {
      HWND hOpen = FindWindowA("#32770", nullptr);
      if (hOpen == nullptr || !IsWindowVisible(hOpen)) break;
      PostMessageA(hOpen, WM_COMMAND, IDCANCEL, 0);
    }
  });
  struct Join {
    std::thread& t;
    ~Join() { t.join(); }
  } join{user};
  return modal();
}
