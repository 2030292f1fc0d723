#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/http_socket.h"
#include "core/url.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/socket_helpers.h"
#include "support/text_streams.h"
#include "support/time_text.h"
#include "support/winsock_environment.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// A one-connection HTTP peer on 127.0.0.1: takes the request up to its empty
// line, sends the reply and closes, unless bHold: then it stays silent until
// it is destroyed.
class TestPeer {
 public:
  explicit TestPeer(std::string reply, bool bHold = false) : sReply(std::move(reply)) {
    listener.Open(0, LoopbackAddress());
    thread = std::thread([=] {
      if (!WaitUntil([&] { return bStop || listener.Wait(0, TRUE) > 0; }, 20000) || bStop) return;
      SOCKET s = accept(listener.hSocket, nullptr, nullptr);
      std::string request;
      char ch;
      while (request.find("\r\n\r\n") == std::string::npos && recv(s, &ch, 1, 0) == 1) request += ch;
      send(s, sReply.data(), (int)sReply.size(), 0);
      if (bHold) WaitUntil([&] { return bStop.load(); }, 30000);
      closesocket(s);
    });
  }
  ~TestPeer() {
    bStop = true;
    thread.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(LocalPort(listener)) + "/"; }

 private:
  CTCPSocket listener;
  std::string sReply;
  std::atomic<bool> bStop{false};
  std::thread thread;
};

// The parts as "scheme|host|port|path|query", "-" for an absent one.
std::string Parts(const char* pszUrl) {
  UrlPartsPtr p(ParseUrl(pszUrl));
  if (!p) return "none";
  std::string all;
  for (const char* part : {p->pszScheme, p->pszHost, p->pszPort, p->pszPath, p->pszQuery})
    all += std::string(part ? part : "-") + "|";
  return all.substr(0, all.size() - 1);
}

std::string Proxy(const char* pszText) {
  CHTTPSocket s;
  SetProxyText(&s, pszText);
  return s.bUseProxy ? std::string(s.sProxyHost) + ":" + std::to_string(s.nProxyPort) : "none";
}
}  // namespace

TEST(Http, UrlPartsAndProxyTexts) {
  EXPECT_EQ("http|example.test|8080|/a/b|x=1", Parts("http://example.test:8080/a/b?x=1"));
  EXPECT_EQ("http|example.test|80|-|-", Parts("http://example.test"));
  EXPECT_EQ("-|-|80|/local|y", Parts("/local?y"));
  EXPECT_EQ("-|-|80|?x|-", Parts("?x"));                 // a '?' in first place starts no query
  EXPECT_EQ("http|h?x|81|-|-", Parts("http://h?x:81"));  // without a path the '?' stays in the host
  EXPECT_EQ("|h|80|/|", Parts("://h/?"));
  EXPECT_EQ("none", Parts(""));
  EXPECT_EQ("none", Parts(nullptr));
  EXPECT_TRUE(IsNumberText(" +-12") && IsNumberText(""));
  EXPECT_FALSE(IsNumberText("1 2"));
  EXPECT_EQ("proxy:80", Proxy("proxy"));
  EXPECT_EQ("proxy:80", Proxy("proxy:abc"));
  EXPECT_EQ("proxy:0", Proxy("proxy:"));
  EXPECT_EQ("http=host:80", Proxy("http=host:8080;https=host:8443"));
  EXPECT_EQ("none", Proxy(nullptr));
}

TEST(Http, HeaderLookupContinuationAndWriting) {
  CInetHeaders h;
  for (const char* line : {"Dated: no", "DATE: Mon, 01 Jan 2024 00:00:00 GMT", "Content-Type: text/html; charset=x",
                           "X:;", "no colon here", "Date:   Mon"})
    h.Add(line);
  EXPECT_EQ(1, h.FindHeader("date", 0));
  EXPECT_EQ(5, h.FindHeader("date", 2));
  EXPECT_EQ(-1, h.FindHeader("date", -1));
  EXPECT_STREQ("text/html", h.GetHeaderValue(2, FALSE));
  EXPECT_STREQ("text/html; charset=x", h.GetHeaderValue(2, TRUE));
  EXPECT_STREQ("", h.GetHeaderValue(3, FALSE));
  EXPECT_STREQ("no colon here", h.GetHeaderValue(4, FALSE));
  EXPECT_STREQ("Mon, 01 Jan 2024 00:00:00 GMT", h.GetHeaderValue("Date"));
  EXPECT_EQ(2, h.SetHeader("content-type", "a"));
  EXPECT_STREQ("content-type: a", h.GetAt(2));
  CTextReader in("X-A: 1\r\n  2\r\n\tmore \r\nB: b\r\n\r\nbody"), cut(" lead\r\nA: 1\r\n");
  CInetHeaders parsed, open;
  EXPECT_TRUE(parsed.ParseHeaders(&in));
  EXPECT_FALSE(open.ParseHeaders(&cut));  // no empty line
  CTextWriter out;
  EXPECT_TRUE(parsed.WriteHeaders(&out));
  EXPECT_EQ("X-A: 12more\r\nB: b\r\n", out.text);
  out.nRoom = 3;
  EXPECT_FALSE(parsed.WriteHeaders(&out));
}

TEST(Http, ResponseKinds) {
  std::string huge = "HTTP/1.1 200 OK\r\n";  // a header block of 1 MB
  while (huge.size() < (1 << 20)) huge += "X-Filler: " + std::string(990, 'f') + "\r\n";
  std::string binary = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>(i * 131 % 255 + 1);
  struct Case {
    std::string reply;
    int result, headers;
  } cases[] = {
      {"HTTP/1.1 302 Found\r\nLocation: http://elsewhere.test/\r\n\r\n", 302, 1},
      {"HTTP/2 200\r\nDate: x\r\n\r\n", 0, 1},  // headers are still read
      {"ICY 200 OK\r\n\r\n", 0, 0},
      {"HTTP/1.0   301\r\n\r\n", 301, 0},
      {"HTTP/1.1 200 OK\r\nA: b\r\n", -1, 1},  // closed before the empty line
      {"", 0, 0},
      {huge + "\r\n", 200, 1047},
      {"HTTP/1.1 200 OK\r\nX-Long: " + std::string(10000, 'l') + "\r\n\r\n", -1, 0},
      {binary, -1, -1},
  };
  for (const Case& c : cases) {
    TestPeer peer(c.reply);
    CHTTPSocket s;
    ASSERT_TRUE(s.SendRequest(CHTTPSocket::methodHead, peer.Url().c_str(), nullptr, -1));
    EXPECT_EQ(c.result, s.ReadResponse()) << c.reply.substr(0, 40);
    EXPECT_TRUE(c.headers < 0 || c.headers == s.aResponseHeaders.GetCount()) << c.reply.substr(0, 40);
  }
}

TEST(Http, WaitsAndConnectsAreBounded) {
  {
    // Simulated ticks about to wrap: the built-in bound holds across the wrap.
    CManualClock clock(MakeSystemTime(2024, 1, 1, 12), 0xFFFFFFFF - 100);
    CClockInstaller install(&clock);
    TestPeer silent("", true);
    CHTTPSocket s;
    s.SetTotalTimeout(0);
    ASSERT_TRUE(s.SendRequest(CHTTPSocket::methodGet, silent.Url().c_str(), nullptr, -1));
    EXPECT_EQ(700, s.LimitWait(700));
    clock.Advance(CHTTPSocket::kDefaultTotalTimeout - 1);
    EXPECT_EQ(1, s.LimitWait(-1));
    clock.Advance(1);
    EXPECT_EQ(0, s.ReadResponse());  // at once: the bound has passed
    EXPECT_TRUE(s.HasTimedOut());
  }
  // A listener whose queue is full drops further connection requests, so a
  // connect to it waits until the bound.
  CTCPSocket listener;
  ASSERT_TRUE(listener.Create(SOCK_STREAM) && listener.Bind(0, LoopbackAddress()));
  listen(listener.hSocket, 0);
  int port = LocalPort(listener);
  std::vector<std::unique_ptr<CHTTPSocket>> fillers;
  bool stalled = false;
  for (int i = 0; i < 8 && !stalled; ++i) {
    fillers.emplace_back(new CHTTPSocket);
    fillers.back()->SetTotalTimeout(1000);
    DWORD start = GetWin32Clock()->GetTickCount();
    if (!fillers.back()->ConnectWithin(port, "127.0.0.1")) {
      stalled = fillers.back()->HasTimedOut();
      EXPECT_GE(RealMsSince(start), 900u);
      EXPECT_LT(RealMsSince(start), 8000u);
    }
  }
  EXPECT_TRUE(stalled);
  listener.Close();
  CHTTPSocket refused;
  EXPECT_FALSE(refused.ConnectWithin(port, "127.0.0.1"));
  EXPECT_FALSE(refused.HasTimedOut() || refused.HasSocket());
}
