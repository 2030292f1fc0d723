// HTTP pieces; correction runs against a scripted loopback server on a manual clock (real: http_correction_test).
#include "core/http_date.h"
#include "core/http_socket.h"
#include "core/time_correction.h"
#include "core/url.h"
#include "support/recording_host.h"
#include "support/suite.h"
#include "support/text_streams.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

const char kDate[] = "Date: Mon, 01 Jan 2024 00:00:00 GMT\r\n";  // 09:00:00 local (JST)
const LONG kAnyOffset = LONG_MIN;

std::string Response(const char* status = "200 OK", const char* date = kDate) {
  return std::string("HTTP/1.1 ") + status + "\r\nServer: test\r\n" + date + "\r\n";
}

// One response: its virtual ms, the sample's offset (local minus server), the bytes, whether it then stays silent.
struct Answer {
  DWORD takesMs;
  LONG offset;
  std::string response;
  bool hold = false;
};

// Serves one connection per answer in order, reading each request to its empty line, moving a manual clock.
class CScriptedWeb {
 public:
  explicit CScriptedWeb(std::vector<Answer> answers, CManualClock* clock = nullptr) {
    listener.Open(0, LoopbackAddress());
    worker = std::thread([this, answers, clock] {
      for (const Answer& a : answers) {
        if (!WaitUntil([&] { return bStop || listener.Wait(0, TRUE) > 0; }, 10000) || bStop) return;
        SOCKET s = accept(listener.hSocket, nullptr, nullptr);
        acceptTicks.push_back(GetClock()->GetTickCount());
        std::string request;
        char ch;
        while (request.find("\r\n\r\n") == std::string::npos && recv(s, &ch, 1, 0) == 1) request += ch;
        requests.push_back(request);
        if (clock) clock->Advance(a.takesMs);
        if (clock && a.offset != kAnyOffset) {
          // The run's estimate: the middle of the Date's second plus half the time taken.
          CSystemTime local(MakeSystemTime(2024, 1, 1, 9, 0, 0, 500));
          local.AddMilliseconds(static_cast<LONG>(a.takesMs / 2) + a.offset);
          clock->SetLocal(local);
        }
        send(s, a.response.data(), static_cast<int>(a.response.size()), 0);
        if (a.hold) WaitUntil([&] { return bStop.load(); }, 20000);
        closesocket(s);
      }
    });
  }
  ~CScriptedWeb() {
    bStop = true;
    worker.join();
  }
  std::string Url(const char* path = "/") const {
    return "http://127.0.0.1:" + std::to_string(LocalPort(listener)) + path;
  }
  CTCPSocket listener;
  std::vector<std::string> requests;
  std::vector<DWORD> acceptTicks;

 private:
  std::atomic<bool> bStop{false};
  std::thread worker;
};

// A run on a manual clock that starts at 2024-05-01 12:00:00.000 local.
struct HttpRun {
  CRecordingHost host;
  CTimeCorrection run{&host};
  CManualClock clock{MakeSystemTime(2024, 5, 1, 12, 0, 0, 0), 1000};
  CClockInstaller installer{&clock};
  CScriptedWeb web;

  explicit HttpRun(std::vector<Answer> answers) : web(std::move(answers), &clock) {}
  std::string Url(const char* path = "/") const { return web.Url(path); }
  BOOL Check(int limit, int allowance, BOOL bSet, const std::string& url = "") {
    return run.CheckTimeHttp((url.empty() ? Url() : url).c_str(), limit, allowance, bSet);
  }
  const std::string& Line() const { return host.Last().line; }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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

TEST(HttpTimeRun, TwoSamplesTheirMeanAndTheRequests) {
  {
    HttpRun r({{100, 300, Response()}, {100, -200, Response()}});
    ASSERT_TRUE(r.Check(3000, 0, TRUE, r.Url("/t?q")));
    // The Date stands for 00:00:00.550 UTC after 100 ms; the mean is +50: ahead, held back.
    EXPECT_EQ(" 2024/01/01 09:00:00.550 ： 補正　( " + r.Url("/t?q") + " ) 誤差 0.050秒の進み(応答速度:0.100秒)",
              r.Line());
    EXPECT_EQ(50, r.run.nSlewMSec);
    EXPECT_EQ(0, r.clock.GetSetCount());
    EXPECT_EQ(0u, r.web.requests[1].find("GET /t?q HTTP/1.0\r\n"));  // the headers: in the nginx system test
  }
  {
    // +1 and -2 average to 0 (truncated); allowance 0 steps even then.
    HttpRun r({{40, 1, Response()}, {60, -2, Response("404 Not Found")}});
    ASSERT_TRUE(r.Check(3000, 0, TRUE));
    EXPECT_TRUE(Contains(r.Line(), "補正　( " + r.Url() + " ) 誤差無し(応答速度:0.060秒)")) << r.Line();
    EXPECT_EQ("2024-01-01 09:00:00.530", TimeText(r.clock.GetLastSet()));
  }
}

TEST(HttpTimeRun, TheSecondRequestIsPlacedHalfASecondFromTheFirst) {
  struct Case {
    DWORD firstTakes, gap;  // gap: ticks from the first connection to the second
    int sleeps;
  } cases[] = {{200, 500, 1}, {700, 1500, 1}, {500, 500, 0}, {1999, 2500, 1}};
  for (const Case& c : cases) {
    HttpRun r({{c.firstTakes, 0, Response()}, {10, 0, Response()}});
    ASSERT_TRUE(r.Check(3000, 0, FALSE));
    ASSERT_EQ(2u, r.web.acceptTicks.size());
    EXPECT_EQ(c.gap, r.web.acceptTicks[1] - r.web.acceptTicks[0]) << c.firstTakes;
    EXPECT_EQ(c.sleeps, r.clock.GetSleepCount()) << c.firstTakes;
  }
}

TEST(HttpTimeRun, TenTimesTheLimitAndSamplesThatGiveNoTime) {
  {
    HttpRun r({{59999, 0, Response()}, {59999, 0, Response()}});
    EXPECT_TRUE(r.Check(6000, 1000, TRUE));
    EXPECT_TRUE(Contains(r.Line(), "確認　( " + r.Url() + " ) 誤差無し(応答速度:59.999秒)")) << r.Line();
  }
  {
    HttpRun r({{60000, kAnyOffset, Response()}});
    EXPECT_FALSE(r.Check(6000, 0, TRUE));
    EXPECT_EQ(" 2024/05/01 12:01:00.000 ： 失敗　( " + r.Url() + " ) 返答待機タイムアウト[60000 ms]", r.Line());
  }
  // A second sample timing out: allowance 0 steps to the first's estimate (5 s behind) plus 400 ms pause and 60 s.
  HttpRun late({{100, -5000, Response()}, {60000, kAnyOffset, Response()}});
  EXPECT_TRUE(late.Check(6000, 0, TRUE));
  EXPECT_TRUE(Contains(late.Line(), " 2024/01/01 09:01:00.950 ： 補正　( " + late.Url() + " ) 返答待機タイムアウト[60000 ms]"))
      << late.Line();
  EXPECT_EQ("2024-01-01 09:01:00.950", TimeText(late.clock.GetLastSet()));
  for (const std::string& response : {Response("200 OK", ""), Response("200 OK", "Date: garbage\r\n"),
                                      "HTTP/2 200\r\n" + std::string(kDate) + "\r\n"}) {
    HttpRun r({{100, kAnyOffset, response}});
    EXPECT_FALSE(r.Check(3000, 0, TRUE));
    EXPECT_EQ(" 2024/05/01 12:00:00.100 ： 失敗　( " + r.Url() + " ) 通信エラー(サーバアドレス無効)", r.Line());
    EXPECT_EQ(0, r.clock.GetSetCount());
  }
  std::string closedUrl = HttpRun({}).Url();
  HttpRun refused({});
  EXPECT_FALSE(refused.Check(3000, 0, TRUE, closedUrl));
  EXPECT_TRUE(Contains(refused.Line(), "失敗　( " + closedUrl + " ) 通信エラー(サーバアドレス無効)"));
}

TEST(HttpDate, TheThreeFormsReadAndNothingElse) {
  SYSTEMTIME st;
  const char* good[][2] = {
      {"Mon, 01 Jan 2024 00:00:00 GMT", "2024-01-01 00:00:00.000"},
      {"sun, 6 nov 1994 08:49:37 gmt ", "1994-11-06 08:49:37.000"},
      {"Thu, 29 Feb 2024 23:59:59 GMT", "2024-02-29 23:59:59.000"},
      {"Sunday, 06-Nov-94 08:49:37 GMT", "1994-11-06 08:49:37.000"},
      // Two-digit years (now 2026): at most 50 years ahead, else the century before.
      {"Thursday, 01-Jan-26 00:00:00 GMT", "2026-01-01 00:00:00.000"},
      {"Friday, 31-Dec-76 23:59:59 GMT", "2076-12-31 23:59:59.000"},
      {"Tuesday, 01-Jan-77 00:00:00 GMT", "1977-01-01 00:00:00.000"},
      {"Sun Nov  6 08:49:37 1994", "1994-11-06 08:49:37.000"},
      {"Mon Jan 01 00:00:00 2024", "2024-01-01 00:00:00.000"},
  };
  for (const auto& g : good) {
    ASSERT_TRUE(ParseHttpDate(g[0], &st, 2026)) << g[0];
    EXPECT_EQ(g[1], TimeText(st)) << g[0];
  }
  for (const char* bad : {"", "garbage", "Mon, 01 Jan 2024", "Mon, 01 Jan 2024 00:00:00",
                          "Mon, 01 Jan 2024 00:00:60 GMT", "Thu, 29 Feb 2023 12:00:00 GMT",
                          "Mon, 00 Jan 2024 00:00:00 GMT", "Mon, 01 Jan 24 00:00:00 GMT",
                          "Mon, 31 Feb 2024 00:00:00 GMT", "Mon, 01 Jan 2024 24:00:00 GMT", "1704067200",
                          "Mon, 01 Jan 2024 00:00:00 GMT trailing", "Sun, 06-Nov-94 08:49:37 GMT",
                          "Sunday, 6-Nov-94 08:49:37 GMT", "Sunday, 06-Nov-1994 08:49:37 GMT",
                          "Sunday, 31-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 94",
                          "Sun Nov  6 08:49:37 1994 GMT", "Sun Nov  6 1994", "Sund Nov  6 08:49:37 1994"})
    EXPECT_FALSE(ParseHttpDate(bad, &st, 2026)) << bad;
}

TEST(Http, UrlPartsAndProxyTexts) {
  const char* urls[][2] = {{"http://example.test:8080/a/b?x=1", "http|example.test|8080|/a/b|x=1"},
                           {"http://example.test", "http|example.test|80|-|-"}, {"/local?y", "-|-|80|/local|y"},
                           {"?x", "-|-|80|?x|-"},                  // a '?' in first place starts no query
                           {"http://h?x:81", "http|h?x|81|-|-"},  // without a path the '?' stays in the host
                           {"://h/?", "|h|80|/|"}, {"", "none"}, {nullptr, "none"}};
  for (auto& u : urls) EXPECT_EQ(u[1], Parts(u[0])) << (u[0] ? u[0] : "null");
  EXPECT_TRUE(IsNumberText(" +-12") && IsNumberText(""));
  EXPECT_FALSE(IsNumberText("1 2"));
  const char* proxies[][2] = {{"proxy", "proxy:80"}, {"proxy:abc", "proxy:80"}, {"proxy:", "proxy:0"},
                              {"http=host:8080;https=host:8443", "http=host:80"}, {nullptr, "none"}};
  for (auto& p : proxies) EXPECT_EQ(p[1], Proxy(p[0])) << p[1];
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
    CScriptedWeb peer({{0, kAnyOffset, c.reply}});
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
    CScriptedWeb silent({{0, kAnyOffset, "", true}});
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
  // A listener whose queue is full drops further connection requests: a connect waits until the bound.
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
