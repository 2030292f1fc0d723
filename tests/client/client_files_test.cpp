// The client's settings, server-list and run-log files.
#include <limits.h>

#include "client/client_correction_host.h"
#include "client/client_settings.h"
#include "client/entry_text.h"
#include "client_app_support.h"
#include "temp_folder.h"

namespace {
// "name (host)" of every entry, then the selection.
std::string Shown(const CClientConfig& config) {
  std::string text;
  CServerList* list = config.GetServerList();
  for (int i = 0; i < list->GetCount(); ++i) text += std::string(list->GetAt(i)->GetText()) + ";";
  return text + "sel=" + std::to_string(list->GetSelection());
}

// Every field of the record, then the entries.
std::string Record(const CClientConfig& c) {
  char text[160];
  wsprintfA(text, "%d %d %d %d %d %d %d %d %u %d %d %d|", c.nCheckSpan, c.nTimeout, c.nAllowance, c.bAutoExec,
            c.bSaveLog, c.bTackTray, c.bRotateServer, c.bBroadcastRecv, c.nBroadcastRecvPortNo, c.bFirstExec,
            c.sProtocol, c.bUseHttpProxy);
  return text + std::string(c.sHttpProxy) + "|" + Shown(c);
}

const char kHeader[] = "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n";
}  // namespace

TEST(ClientConfig, LoadRulesAndTheFirstSaveFromAProgramFolderCopy) {
  CTempFolder data, module;
  CScriptedPrompt prompt;
  module.Put("ntp_config.txt", std::string(kHeader) +
                                   "nCheckSpan,5\r\nnTimeout,abc\r\nnAllowance,\r\nnSelectServerNo,7\r\n"
                                   "bAutoExec,1\r\nbFirstExec,1\r\nbUseHttpProxy,1\r\nsProtocol,HTTP\r\n"
                                   "sHttpProxy,ab\r\nnBroadcastRecvPortNo,70000\r\nsOther,only in the program folder\r\n");
  module.Put("ntp_server.org", "a,h1\r\nb,h2\r\nc,h3\r\n");
  CClientConfig config(data.Path().c_str(), module.Path().c_str(), &prompt);
  ASSERT_EQ(1, config.LoadConfig());
  // No range test before the panel; letters read 0; empty keeps the initial; "http" exactly; entry 7 of 3: first.
  EXPECT_EQ("5 0 200 1 0 0 1 0 4464 1 1 0|ab|a (h1);b (h2);c (h3);sel=0", Record(config));
  EXPECT_EQ(Texts{"HTTPプロキシの設定値が無効です。|0"}, prompt.texts);
  config.GetServerList()->SetSelection(2);
  ASSERT_EQ(1, config.SaveConfig());
  // A new file: title, section, every key in order; no foreign rows of the copy (no document to edit).
  EXPECT_EQ(std::string(kHeader) +
                "nCheckSpan,5\r\nnTimeout,0\r\nnAllowance,200\r\nnSelectServerNo,2\r\nbAutoExec,1\r\n"
                "bSaveLog,0\r\nbTackTray,0\r\nbRotateServer,1\r\nbFirstExec,0\r\nbUseHttpProxy,0\r\n"
                "sProtocol,ntp\r\nsHttpProxy,ab\r\nbBroadcastRecv,0\r\nnBroadcastRecvPortNo,4464\r\n",
            data.Get("ntp_config.txt"));
  EXPECT_EQ("a,h1\r\nb,h2\r\nc,h3\r\n", data.Get("ntp_server.txt"));
  EXPECT_EQ(2, data.Count());    // no temporary file left behind
  EXPECT_EQ(2, module.Count());  // the program folder untouched
}

TEST(ClientConfig, ASaveEditsTheLoadedDocumentAndKeepsWhatTheLoadDidNotRead) {
  CTempFolder data;
  // Trail bytes 5C (表, ソ), quotes, a record over two lines; after a line too long to read, what the load never saw.
  const std::string kept = "# MULTI SECTION CSV FORMAT\r\n# 表示の設定\r\n\r\n[ OTHER ]\r\nname,\"a b\",表示\r\n"
                           "quote,\"say \"\"hi\"\"\",x\r\nmulti,\"line1\r\nline2 ソ\",end\r\n\r\n"
                           "[ NTP CLIENT SETTING ]\r\nsForeign,keep me\r\nsProtocol,http\r\n"
                           "bUseHttpProxy,1\r\nsHttpProxy,\"proxy host:8080\"\r\nsServerListUrl,http://127.0.0.51:8080/\r\n";
  const std::string longLine = "# " + std::string(5000, 'L');
  const std::string rest = longLine + "\r\nbSaveLog,1\r\n\r\n[ foreign ]\r\nkey,\"a b\"\r\nno line end";
  data.Put("ntp_config.txt", kept + rest);
  data.Put("http_server.txt", "a,h1\r\n" + longLine + "\r\nb,h2\r\n");
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr);
  config.LoadConfig();
  EXPECT_EQ("http://127.0.0.51:8080/NAAA", std::string(config.GetServerListUrl()));
  EXPECT_EQ("5 600 200 0 0 0 1 0 123 1 2 1|proxy host:8080|a (h1);sel=0", Record(config));  // not bSaveLog
  config.GetServerList()->AddItem(new NTP_SERVER_INFO("", "c", "h3"));
  config.SaveConfig();
  // Other keys and sections stay; new keys go to the section's end, before the rest; the list keeps its rest too.
  const std::string saved = kept + "nCheckSpan,5\r\nnTimeout,600\r\nnAllowance,200\r\nnSelectServerNo,0\r\nbAutoExec,0\r\n"
                                   "bSaveLog,0\r\nbTackTray,0\r\nbRotateServer,1\r\nbFirstExec,0\r\nbBroadcastRecv,0\r\n"
                                   "nBroadcastRecvPortNo,123\r\n" + rest;
  EXPECT_TRUE(saved == data.Get("ntp_config.txt"));
  EXPECT_TRUE("a,h1\r\nc,h3\r\n" + longLine + "\r\nb,h2\r\n" == data.Get("http_server.txt"));
  CClientConfig again(data.Path().c_str(), data.Path().c_str(), nullptr);
  again.LoadConfig();
  again.SaveConfig();
  EXPECT_TRUE(saved == data.Get("ntp_config.txt"));
}

TEST(ServerList, RowsFallbacksAndWriting) {
  CTempFolder data, module;
  CClientConfig config(data.Path().c_str(), module.Path().c_str(), nullptr);
  CServerList* list = config.GetServerList();
  // Comments (a quoted "#" name is an entry), empty lines and one-field rows give none; a third field is ignored.
  data.Put("ntp_server.txt", "# comment,x\r\n\r\nsolo\r\n\"NICT 日本\",ntp.nict.jp,extra\n#x,y\r\n\"#q\",h\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("NICT 日本 (ntp.nict.jp);#q (h);sel=0", Shown(config));
  list->SetSelection(1);
  list->DeleteItem(0);  // the selection follows its entry
  EXPECT_EQ(0, list->GetSelection());

  // An empty list file in the data folder counts as read; then the factory lists, the data folder's first.
  data.Put("ntp_server.txt", "");
  module.Put("ntp_server.txt", "module,m.example\r\n");
  data.Put("ntp_server.org", "data factory,d.example\r\n");
  module.Put("ntp_server.org", "module factory,f.example\r\n");
  std::string shown;
  for (const char* gone : {"", "ntp_server.org", "ntp_server.txt"}) {
    DeleteFileA((data.Path() + gone).c_str());
    config.LoadServerList(TRUE);
    shown += Shown(config) + " ";
  }
  EXPECT_EQ("data factory (d.example);sel=0 module factory (f.example);sel=0 module (m.example);sel=0 ", shown);
  config.sProtocol = CClientSettings::protocolHttp;  // files of its own
  module.Put("http_server.org", "web,http://w.example/\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("web (http://w.example/);sel=0", Shown(config));

  // A list that cannot be written leaves no file.
  EXPECT_FALSE(config.WriteServerList((data.Path() + "missing\\http_server.txt").c_str()));
  EXPECT_EQ(0, data.Count());
}

TEST(ClientConfig, EverySettingAndTypedTextReadsBackEqual) {
  // As names and hosts: blanks, commas, quotes, "#", trail bytes "\" and "|", a double-byte character at the
  // limit and the longest row a list can have (every byte a quote, doubled when written).
  const std::vector<std::string> texts = {"a b", "x,y", "say \"hi\"", "#1 primary", "#", "表示|ソ\\ポ", "a\tb",
                                          std::string(kMaxEntryTextBytes - 2, 'x') + "表",
                                          std::string(kMaxEntryTextBytes, '"')};
  CTempFolder data;
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr), back(config.sDataFolder, config.sDataFolder, nullptr);
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_STREQ(texts[i].c_str(), CleanEntryText(texts[i].c_str()));  // a text the dialogs accept
    config.GetServerList()->AddItem(new NTP_SERVER_INFO("", texts[i].c_str(), texts[(i + 3) % texts.size()].c_str()));
  }
  config.GetServerList()->AddItem(new NTP_SERVER_INFO("", "", "h"));
  config.GetServerList()->SetSelection(4);
  config.nCheckSpan = 16;
  config.nTimeout = INT_MAX;
  config.nAllowance = INT_MIN;
  config.bAutoExec = config.bSaveLog = config.bTackTray = config.bBroadcastRecv = config.bUseHttpProxy = 1;
  config.bRotateServer = 0;
  config.nBroadcastRecvPortNo = 65535;
  config.sProtocol = CClientSettings::protocolHttp;
  config.sHttpProxy = texts[5].c_str();
  ASSERT_EQ(1, config.SaveConfig());  // clears bFirstExec
  back.LoadConfig();
  EXPECT_EQ(Record(config), Record(back));
  EXPECT_STREQ("a b c", CleanEntryText(" \r\na\r\nb\nc\x95\r\n"));
  EXPECT_STREQ(std::string(kMaxEntryTextBytes, 'x').c_str(), CleanEntryText(std::string(1200, 'x').c_str()));
  // A double-byte character that would cross the limit goes whole.
  EXPECT_STREQ(std::string(kMaxEntryTextBytes - 1, 'x').c_str(),
               CleanEntryText((std::string(kMaxEntryTextBytes - 1, 'x') + "表").c_str()));
}

// At most 201 entries, counts of every run; the file only while bSaveLog is on; no folder still keeps the entries.
TEST(ActionLog, TheEntryLimitCountersAndTheLogFile) {
  CTempFolder folder;
  folder.Put("ntpaccess.log", "earlier\r\n");
  CRecordingView view;
  CActionLog log(&view, folder.Path().c_str());
  CClientSettings settings;
  CClientCorrectionHost host(&log, &settings);
  for (int i = 0; i < 250; ++i) host.ReportCorrection(("run " + std::to_string(i)).c_str(), i % 3);
  ASSERT_EQ(201, view.GetCount());
  EXPECT_EQ("run 49|1|84|200", std::string(view.aItems.front()->sText) + "|" + std::to_string(view.aItems[2]->nImage) +
                                   "|" + std::to_string(log.nNGCount) + "|" + std::to_string(view.nSelected));
  view.aItems.clear();
  settings.bSaveLog = TRUE;  // switched on while running: only lines from now on
  host.ReportCorrection(" 2024/05/01 09:00:00.000 ： 確認", kCorrectionConfirmed);
  settings.bSaveLog = FALSE;
  host.ReportCorrection("off again", kCorrectionFailed);
  EXPECT_EQ(252, log.nOKCount + log.nNGCount);
  EXPECT_EQ("earlier\r\n 2024/05/01 09:00:00.000 ： 確認\r\n", folder.Get("ntpaccess.log"));

  CActionLog missing(&view, (folder.Path() + "missing\\").c_str());
  missing.bSaveLog = TRUE;
  missing.AddLog("one", 1);
  CreateDirectoryA((folder.Path() + "missing").c_str(), nullptr);  // not retried
  EXPECT_EQ(3, missing.AddLog("two", 1));
  EXPECT_EQ("<missing>", folder.Get("missing\\ntpaccess.log"));
}
