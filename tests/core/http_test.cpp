#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/http_socket.h"
#include "core/socket_reader.h"
#include "core/url.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/socket_helpers.h"
#include "support/text_streams.h"
#include "support/winsock_environment.h"

namespace {

auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// A one-connection HTTP peer on 127.0.0.1: takes the request up to its empty
// line (and nBody more bytes), sends the reply and closes, unless bHold: a
// held connection stays open and silent until the peer is destroyed.
class TestPeer {
 public:
  explicit TestPeer(std::string reply, bool bHold = false, int nBody = 0) : sReply(std::move(reply)) {
    listener.Open(0, LoopbackAddress());
    thread = std::thread([=] { Serve(bHold, nBody); });
  }
  ~TestPeer() {
    bStop = true;
    thread.join();
  }
  int Port() const { return LocalPort(listener); }
  std::string Url(const char* pszPath = "/") const {
    return "http://127.0.0.1:" + std::to_string(Port()) + pszPath;
  }
  // The request as received (complete once the reply has started).
  std::string Request() {
    WaitUntil([&] { return bReplying.load(); }, 10000);
    return sRequest;
  }

 private:
  void Serve(bool bHold, int nBody) {
    if (!WaitUntil([&] { return bStop || listener.Wait(0, TRUE) > 0; }, 20000) || bStop) return;
    SOCKET s = accept(listener.hSocket, nullptr, nullptr);
    DWORD start = GetWin32Clock()->GetTickCount();
    char ch;
    while (RealMsSince(start) < 10000 && !bStop) {
      size_t end = sRequest.find("\r\n\r\n");
      if (end != std::string::npos && sRequest.size() >= end + 4 + nBody) break;
      if (recv(s, &ch, 1, 0) != 1) break;
      sRequest += ch;
    }
    bReplying = true;
    send(s, sReply.data(), (int)sReply.size(), 0);
    if (bHold) WaitUntil([&] { return bStop.load(); }, 30000);
    closesocket(s);
  }

  CTCPSocket listener;
  std::string sReply, sRequest;
  std::atomic<bool> bStop{false}, bReplying{false};
  std::thread thread;
};

std::string Body(CHTTPSocket& s) {
  CSocketReader reader(&s);
  std::string body;
  char buf[512];
  while (!reader.IsEOF()) {
    int n = reader.Read(buf, sizeof(buf));
    if (n < 0) break;
    body.append(buf, n);
  }
  return body;
}

const char kAgent[] = "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)";

}  // namespace

namespace {

// The parts as "scheme|host|port|path|query", "-" for an absent one.
std::string Parts(const char* pszUrl) {
  UrlPartsPtr p(ParseUrl(pszUrl));
  if (!p) return "none";
  std::string all;
  for (const char* part : {p->pszScheme, p->pszHost, p->pszPort, p->pszPath, p->pszQuery}) {
    all += std::string(part ? part : "-") + "|";
  }
  return all.substr(0, all.size() - 1);
}

std::string Proxy(const char* pszText) {
  CHTTPSocket s;
  SetProxyText(&s, pszText);
  return s.bUseProxy ? std::string(s.sProxyHost) + ":" + std::to_string(s.nProxyPort) : "none";
}

}  // namespace

TEST(Url, Parts) {
  EXPECT_EQ("http|example.test|8080|/a/b|x=1", Parts("http://example.test:8080/a/b?x=1"));
  EXPECT_EQ("http|example.test|80|-|-", Parts("http://example.test"));
  EXPECT_EQ("-|-|80|/local|y", Parts("/local?y"));
  EXPECT_EQ("-|-|80|?x|-", Parts("?x"));                 // a '?' in first place starts no query
  EXPECT_EQ("http|h?x|81|-|-", Parts("http://h?x:81"));  // without a path the '?' stays in the host
  EXPECT_EQ("|h|80|/|", Parts("://h/?"));
  EXPECT_EQ("none", Parts(""));
  EXPECT_EQ("none", Parts(nullptr));
}

TEST(Http, ProxyTextAndNumbers) {
  EXPECT_TRUE(IsNumberText(""));
  EXPECT_TRUE(IsNumberText(" +-12"));
  EXPECT_FALSE(IsNumberText("1 2"));
  EXPECT_FALSE(IsNumberText("abc"));
  EXPECT_EQ("proxy:80", Proxy("proxy"));
  EXPECT_EQ("proxy:80", Proxy("proxy:abc"));
  EXPECT_EQ("proxy:0", Proxy("proxy:"));
  EXPECT_EQ("proxy.test:3128", Proxy("proxy.test:3128"));
  EXPECT_EQ("http=host:80", Proxy("http=host:8080;https=host:8443"));
  EXPECT_EQ("none", Proxy(nullptr));
}

TEST(InetHeaders, LookupAndValues) {
  CInetHeaders h;
  h.Add("Dated: no");
  h.Add("DATE: Mon, 01 Jan 2024 00:00:00 GMT");
  h.Add("Content-Type: text/html; charset=x");
  h.Add("X:;");
  h.Add("no colon here");
  h.Add("Date:   Mon");
  EXPECT_EQ(1, h.FindHeader("date", 0));
  EXPECT_EQ(5, h.FindHeader("date", 2));
  EXPECT_EQ(-1, h.FindHeader("date", 6));
  EXPECT_EQ(-1, h.FindHeader("date", -1));
  EXPECT_STREQ("text/html", h.GetHeaderValue(2, FALSE));
  EXPECT_STREQ("text/html; charset=x", h.GetHeaderValue(2, TRUE));
  EXPECT_STREQ("Mon", h.GetHeaderValue(5, TRUE));
  EXPECT_STREQ("", h.GetHeaderValue(3, FALSE));
  EXPECT_STREQ("no colon here", h.GetHeaderValue(4, FALSE));
  EXPECT_STREQ("", h.GetHeaderValue(6, FALSE));
  EXPECT_STREQ("Mon, 01 Jan 2024 00:00:00 GMT", h.GetHeaderValue("Date"));
  EXPECT_EQ(2, h.SetHeader("content-type", "a"));
  EXPECT_STREQ("content-type: a", h.GetAt(2));
  EXPECT_EQ(6, h.SetHeader("New", "b"));

  CTextReader in("X-A: 1\r\n  2\r\n\tmore \r\nB: b\r\n\r\nbody");
  CInetHeaders parsed;
  EXPECT_TRUE(parsed.ParseHeaders(&in));
  ASSERT_EQ(2, parsed.GetCount());
  EXPECT_STREQ("X-A: 12more", parsed.GetAt(0));
  EXPECT_STREQ("B: b", parsed.GetAt(1));
  CTextReader leading(" lead\r\nA: 1\r\n");  // no empty line
  CInetHeaders cut;
  EXPECT_FALSE(cut.ParseHeaders(&leading));
  EXPECT_STREQ(" lead", cut.GetAt(0));
  CTextWriter out;
  EXPECT_TRUE(parsed.WriteHeaders(&out));
  EXPECT_EQ("X-A: 12more\r\nB: b\r\n", out.text);
  out.text.clear();
  out.nRoom = 3;
  EXPECT_FALSE(parsed.WriteHeaders(&out));
}

TEST(HttpSocket, RequestLineHeadersAndBody) {
  CHTTPSocket s;
  EXPECT_EQ(10, s.nHttpVersion);
  EXPECT_EQ(-1, s.nSendTimeout);
  EXPECT_EQ(-1, s.nRecvTimeout);
  EXPECT_EQ(CHTTPSocket::kDefaultTotalTimeout, s.nTotalTimeout);
  {
    TestPeer peer("HTTP/1.0 200 OK\r\nDate: Mon, 01 Jan 2024 00:00:00 GMT\r\n\r\nthe body");
    std::string url = peer.Url("/path?q");
    s.aRequestHeaders.SetHeader("Connection", "close");
    s.aRequestHeaders.SetHeader("Pragma", "no-cache");
    s.aRequestHeaders.SetHeader("Referer", url.c_str());
    s.aRequestHeaders.SetHeader("User-Agent", kAgent);
    ASSERT_TRUE(s.Get(url.c_str()));
    EXPECT_EQ(200, s.nStatus);
    EXPECT_EQ("GET /path?q HTTP/1.0\r\nConnection: close\r\nPragma: no-cache\r\nReferer: " + url +
                  "\r\nUser-Agent: " + kAgent + "\r\nHost: 127.0.0.1\r\n\r\n",
              peer.Request());
    EXPECT_GE(s.aResponseHeaders.FindHeader("date"), 0);
    EXPECT_EQ("the body", Body(s));
    s.Close();
  }
  {
    // A Host line in the list is replaced and moved to the end.
    TestPeer peer("HTTP/1.1 404 Not Found\r\nDate: x\r\n\r\n");
    s.aRequestHeaders.RemoveAll();
    s.aRequestHeaders.Add("Host: old");
    s.aRequestHeaders.Add("A: 1");
    EXPECT_TRUE(s.Get(peer.Url().c_str()));
    EXPECT_EQ(404, s.nStatus);
    EXPECT_EQ("GET / HTTP/1.0\r\nA: 1\r\nHost: 127.0.0.1\r\n\r\n", peer.Request());
    s.Close();
  }
  {
    TestPeer peer("HTTP/1.0 200 OK\r\n\r\n", false, 5);
    s.aRequestHeaders.RemoveAll();
    s.nHttpVersion = 11;
    EXPECT_TRUE(s.SendRequest(CHTTPSocket::methodPost, (peer.Url() + "x").c_str(), "hello", -1));
    EXPECT_EQ(200, s.ReadResponse());
    EXPECT_EQ("POST /x HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 5\r\n\r\nhello", peer.Request());
  }
  EXPECT_FALSE(s.SendRequest(4, "http://127.0.0.1/", nullptr, -1));
  EXPECT_FALSE(s.SendRequest(CHTTPSocket::methodGet, "/no/host", nullptr, -1));
  EXPECT_FALSE(s.SendRequest(CHTTPSocket::methodPost, "http://127.0.0.1/", "x", -2));
}

TEST(HttpSocket, ProxyGetsTheAbsoluteUrl) {
  CHTTPSocket s;
  const char* cases[][2] = {{"http://example.test/", "GET http://example.test/ HTTP/1.0\r\nHost: example.test"},
                            {"http://example.test:8080/a?b", "GET http://example.test:8080/a?b HTTP/1.0\r\nHost: example.test"},
                            {"://example.test", "GET http://example.test/ HTTP/1.0\r\nHost: example.test"}};
  for (auto& c : cases) {
    TestPeer proxy("HTTP/1.0 200 OK\r\n\r\n");
    SetProxyText(&s, ("127.0.0.1:" + std::to_string(proxy.Port())).c_str());
    EXPECT_TRUE(s.Get(c[0]));  // the origin is never looked up
    EXPECT_EQ(std::string(c[1]) + "\r\n\r\n", proxy.Request());
    s.Close();
  }
  SetProxyText(&s, "");
  EXPECT_FALSE(s.Get("http://example.test/"));  // an empty proxy host fails
}

TEST(HttpSocket, ResponseKinds) {
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
    if (c.headers >= 0) {
      EXPECT_EQ(c.headers, s.aResponseHeaders.GetCount()) << c.reply.substr(0, 40);
    }
  }
  TestPeer peer(cases[0].reply);
  CHTTPSocket s;
  EXPECT_TRUE(s.Get(peer.Url().c_str()));
  EXPECT_EQ(302, s.nStatus);
  EXPECT_STREQ("http://elsewhere.test/", s.aResponseHeaders.GetHeaderValue("location"));
  TestPeer odd(cases[1].reply);
  EXPECT_FALSE(s.Get(odd.Url().c_str()));
  EXPECT_EQ(0, s.nStatus);
}

TEST(HttpSocket, WaitsEndAtTheBound) {
  {
    TestPeer silent("", true);
    CHTTPSocket s;
    s.SetTotalTimeout(1500);
    DWORD start = GetWin32Clock()->GetTickCount();
    EXPECT_FALSE(s.Get(silent.Url().c_str()));
    EXPECT_GE(RealMsSince(start), 1400u);
    EXPECT_LT(RealMsSince(start), 10000u);
    EXPECT_TRUE(s.HasTimedOut());
    // A reader made afterwards fails at once instead of waiting again.
    start = GetWin32Clock()->GetTickCount();
    EXPECT_EQ("", Body(s));
    EXPECT_LT(RealMsSince(start), 1000u);
  }
  // A per-wait limit ends a wait before the bound; the body reader then
  // reports time-outs (0, not the end) until the bound is used up.
  TestPeer silent("", true);
  CHTTPSocket s;
  s.nRecvTimeout = 300;
  s.SetTotalTimeout(3000);
  DWORD start = GetWin32Clock()->GetTickCount();
  ASSERT_TRUE(s.SendRequest(CHTTPSocket::methodGet, silent.Url().c_str(), nullptr, -1));
  EXPECT_EQ(0, s.ReadResponse());
  EXPECT_LT(RealMsSince(start), 2500u);
  EXPECT_FALSE(s.HasTimedOut());
  CSocketReader reader(&s);
  reader.SetTimeout(200);
  char ch;
  EXPECT_EQ(0, reader.Read(&ch, 1));
  EXPECT_FALSE(reader.IsEOF());
  EXPECT_EQ("", Body(s));
  EXPECT_LT(RealMsSince(start), 10000u);
}

TEST(HttpSocket, DefaultsStillHaveABound) {
  // Simulated ticks, about to wrap: the built-in bound holds across the wrap.
  SYSTEMTIME local = {2024, 1, 1, 1, 12, 0, 0, 0};
  CManualClock clock(local, 0xFFFFFFFF - 100);
  CClockInstaller install(&clock);
  TestPeer silent("", true);
  CHTTPSocket s;
  s.SetTotalTimeout(5);
  s.SetTotalTimeout(0);
  EXPECT_EQ(CHTTPSocket::kDefaultTotalTimeout, s.GetRemainingTime());
  ASSERT_TRUE(s.SendRequest(CHTTPSocket::methodGet, silent.Url().c_str(), nullptr, -1));
  EXPECT_EQ(CHTTPSocket::kDefaultTotalTimeout, s.LimitWait(-1));
  EXPECT_EQ(700, s.LimitWait(700));
  clock.Advance(CHTTPSocket::kDefaultTotalTimeout - 1);
  EXPECT_EQ(1, s.LimitWait(-1));
  clock.Advance(1);
  EXPECT_EQ(0, s.ReadResponse());  // at once: the bound has passed
  EXPECT_TRUE(s.HasTimedOut());
}

TEST(HttpSocket, ConnectIsBounded) {
  // A listener whose queue is full drops further connection requests, so a
  // connect to it waits until the bound.
  SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa = {};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = LoopbackAddress();
  bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof(sa));
  listen(listener, 0);
  int length = sizeof(sa);
  getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &length);
  int port = ntohs(sa.sin_port);
  std::vector<std::unique_ptr<CHTTPSocket>> fillers;
  bool stalled = false;
  for (int i = 0; i < 8 && !stalled; ++i) {
    fillers.emplace_back(new CHTTPSocket);
    fillers.back()->SetTotalTimeout(1000);
    DWORD start = GetWin32Clock()->GetTickCount();
    if (!fillers.back()->ConnectWithin(port, "127.0.0.1")) {
      stalled = fillers.back()->HasTimedOut();
      DWORD waited = RealMsSince(start);
      EXPECT_GE(waited, 900u);
      EXPECT_LT(waited, 8000u);
    }
  }
  EXPECT_TRUE(stalled);
  closesocket(listener);
  CHTTPSocket refused;
  EXPECT_FALSE(refused.ConnectWithin(port, "127.0.0.1"));
  EXPECT_FALSE(refused.HasTimedOut());
  EXPECT_FALSE(refused.HasSocket());
}

namespace {

class RefusingSocket : public CHTTPSocket {
 public:
  BOOL OnConnected() override { return bConnectOk; }
  BOOL OnBeforeResponse() override { return FALSE; }
  BOOL bConnectOk = FALSE;
};

}  // namespace

TEST(HttpSocket, HooksAndTheSocketReader) {
  TestPeer peer("HTTP/1.0 200 OK\r\n\r\nabc", true);
  RefusingSocket s;
  EXPECT_FALSE(s.SendRequest(CHTTPSocket::methodGet, peer.Url().c_str(), nullptr, -1));
  s.bConnectOk = TRUE;
  EXPECT_TRUE(s.SendRequest(CHTTPSocket::methodGet, peer.Url().c_str(), nullptr, -1));
  EXPECT_EQ(-1, s.ReadResponse());

  CSocketReader reader;
  EXPECT_EQ(5000, reader.nReadTimeout);
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(-1, reader.Read(nullptr, 0));
  EXPECT_EQ(-1, reader.WaitForData(0));
  TestPeer other("hello\r\n", true);
  ASSERT_TRUE(reader.Open("127.0.0.1", other.Port()));
  EXPECT_TRUE(reader.IsOpen());
  EXPECT_TRUE(reader.bOwnsSocket);
  EXPECT_TRUE(reader.pSocket->SendBounded("\r\n\r\n", 4));
  EXPECT_GT(reader.WaitForData(-1), 0);
  ASSERT_TRUE(reader.ReadLine());
  EXPECT_STREQ("hello", reader.GetLine());
  CHTTPSocket* pSocket = reader.Detach();
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(pSocket->IsConnected());
  delete pSocket;
}
