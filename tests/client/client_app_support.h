#pragma once
// Client test helpers: a scripted SNTP server, a prompt, a run log and main window that record, a user on a thread.
#include <climits>
#include <deque>
#include <functional>

#include "client/correction_scheduler.h"
#include "support/suite.h"
#include "wl/gui_test_support.h"

// On 127.0.0.1:123 (Wine replies from there whatever the binding), answers request n with script entry n (or the last):
// the server clock that many ms ahead of the installed clock, kBad (a reply of the wrong mode) or kSilent.
class CNtpResponder {
 public:
  static constexpr LONG kBad = LONG_MIN, kSilent = LONG_MIN + 1;
  explicit CNtpResponder(std::vector<LONG> script) : aScript(std::move(script)) {
    bBound = socket.Open(123, inet_addr("127.0.0.1"));
    worker = std::thread([this] {
      NTP_PACKET p;
      DWORD address;
      int port;
      while (socket.RecvFrom(&p, kNtpPacketSize, 0, &port, &address) == kNtpPacketSize) {
        LONG nAhead = aScript[std::min<size_t>(nRequests++, aScript.size() - 1)];
        if (nAhead == kSilent) continue;
        CSystemTime now;
        GetClock()->GetSystemTime(&now);
        now.AddMilliseconds(nAhead == kBad ? 0 : nAhead);
        p.tsOriginate = p.tsTransmit;
        p.SetTransmitTime(now);
        p.SetHeader(nAhead == kBad ? 0x230200EC : 0x240200EC);  // mode 3 or 4, stratum 2
        socket.SendTo(&p, kNtpPacketSize, port, address);
      }
    });
  }
  ~CNtpResponder() {
    socket.Close();  // ends the receive
    worker.join();
  }
  BOOL bBound = FALSE;
  std::atomic<int> nRequests{0};

 private:
  std::vector<LONG> aScript;
  CUDPSocket socket;
  std::thread worker;
};

// Message boxes answered from a queue (IDNO once it is empty), kept as "text|type".
struct CScriptedPrompt : CUserPrompt {
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text + std::string("|") + std::to_string(type));
    int answer = answers.empty() ? IDNO : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::deque<int> answers;
  Texts texts;
};

class CRecordingView : public CLogListView {
 public:
  int GetCount() override { return static_cast<int>(aItems.size()); }
  void DeleteItem(int nIndex) override { aItems.erase(aItems.begin() + nIndex); }
  int AddItem(NTP_ACTIONLOG_INFO* pEntry) override { return aItems.emplace_back(pEntry), GetCount() - 1; }
  void SetSelection(int nIndex) override { nSelected = nIndex; }
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
  int nSelected = -1;
};

class CRecordingWindow : public CSchedulerWindow {
 public:
  UINT_PTR SetTimer(UINT_PTR nId, UINT) override { return nId; }
  void KillTimer(UINT_PTR nId) override { aPosted.push_back(static_cast<UINT>(nId)); }
  void PostCommand(UINT nId) override { aPosted.push_back(nId); }
  void SetStatusText(int nPart, const char* pszText) override { asText[nPart] = pszText; }
  void RunDiagnosis() override {}
  std::vector<UINT> aPosted;  // the commands posted and the timers killed
  std::string asText[3];
};

// Plays the user of the dialog modal() shows, with bounded waits; what it leaves open is cancelled before modal
// returns. Typing is WM_CHAR per byte, as keys give.
struct CUser {
  static HWND Wait(const char* pszCaption) {
    for (int i = 0; i < 500; ++i, GetWin32Clock()->Sleep(20)) {
      HWND h = FindWindowA("#32770", pszCaption);
      if (h != nullptr && IsWindowVisible(h)) return HoldForPhoto(h), h;
    }
    return nullptr;
  }
  static void WaitGone(HWND h) {
    for (int i = 0; i < 500 && IsWindowVisible(h); ++i) GetWin32Clock()->Sleep(20);
  }
  static void Type(HWND hDialog, int nId, std::string text) {
    SendDlgItemMessageA(hDialog, nId, EM_SETSEL, 0, -1);
    for (char c : "\b" + text) PostMessageA(GetDlgItem(hDialog, nId), WM_CHAR, static_cast<BYTE>(c), 0);
  }
  static void Click(HWND hDialog, int nId) { PostMessageA(GetDlgItem(hDialog, nId), BM_CLICK, 0, 0); }
  static std::string Text(HWND hDialog, int nId) {
    char szText[1024] = "";
    GetDlgItemTextA(hDialog, nId, szText, sizeof(szText));
    return szText;
  }
  // Clicks OK and answers the message box captioned pszBox that comes; its text.
  static std::string OkAndMessage(HWND hDialog, const char* pszBox) {
    Click(hDialog, IDOK);
    HWND hBox = Wait(pszBox);
    std::string text = Text(hBox, 0xFFFF);  // the box's text control
    Click(hBox, IDOK);
    WaitGone(hBox);
    return text;
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
  auto result = modal();
  user.join();
  return result;
}
