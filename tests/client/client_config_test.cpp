// The settings file and the server-list files: load rules, the layout of a
// new settings file, edits that keep what else the file holds, and the list
// files with their fallbacks between data and program folder.
#include "base/replacing_file_writer.h"
#include "client/client_settings.h"
#include "support/suite.h"
#include "temp_folder.h"

namespace {
class CRecordingPrompt : public CUserPrompt {
 public:
  Texts texts;
  int MessageBox(const char* text, UINT) override {
    texts.push_back(text);
    return IDOK;
  }
};

// A panel whose edits raise the interval, as the real panel's minimum does.
class CPanelConfig : public CClientConfig {
 public:
  using CClientConfig::CClientConfig;
  BOOL ReadPanel() override {
    if (nCheckSpan < 15) nCheckSpan = 15;
    return 1;
  }
};

// "name (host)" of every entry, then the selection.
std::string Shown(const CClientConfig& config) {
  std::string text;
  CServerList* list = config.GetServerList();
  for (int i = 0; i < list->GetCount(); ++i) text += std::string(list->GetAt(i)->GetText()) + ";";
  return text + "sel=" + std::to_string(list->GetSelection());
}

const char kFiveServers[] = "a,h1\r\nb,h2\r\nc,h3\r\nd,h4\r\ne,h5\r\n";
const char kHeader[] = "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n";
}  // namespace

TEST(ClientConfig, LoadRulesAndTheFirstSaveFromAProgramFolderCopy) {
  CTempFolder data, module;
  CRecordingPrompt prompt;
  module.Put("ntp_config.txt", std::string(kHeader) +
                                   "nCheckSpan,5\r\nnTimeout,abc\r\nnAllowance,\r\nnSelectServerNo,7\r\n"
                                   "bAutoExec,1\r\nbFirstExec,1\r\nbUseHttpProxy,1\r\nsProtocol,HTTP\r\n"
                                   "sHttpProxy,ab\r\nnBroadcastRecvPortNo,70000\r\nsOther,only in the program folder\r\n");
  module.Put("ntp_server.org", kFiveServers);
  CPanelConfig config(data.Path().c_str(), module.Path().c_str(), &prompt);
  ASSERT_EQ(1, config.LoadConfig());
  EXPECT_EQ(5, config.nCheckSpan);    // no range test before the panel is read
  EXPECT_EQ(0, config.nTimeout);      // letters read as 0
  EXPECT_EQ(200, config.nAllowance);  // an empty value keeps the initial one
  EXPECT_EQ(CClientSettings::protocolNtp, config.sProtocol);  // "http" only, exactly
  EXPECT_EQ(4464, config.nBroadcastRecvPortNo);
  EXPECT_EQ(0, config.bUseHttpProxy);
  EXPECT_EQ(Texts{"HTTPプロキシの設定値が無効です。"}, prompt.texts);
  EXPECT_EQ("a (h1);b (h2);c (h3);d (h4);e (h5);sel=0", Shown(config));  // entry 7 of five: the first
  config.GetServerList()->SetSelection(3);
  ASSERT_EQ(1, config.SaveConfig());
  // A new file: title, section, every key in order; nothing of the copy's
  // foreign rows, since the data folder held no document to edit.
  EXPECT_EQ(std::string(kHeader) +
                "nCheckSpan,15\r\nnTimeout,0\r\nnAllowance,200\r\nnSelectServerNo,3\r\nbAutoExec,1\r\n"
                "bSaveLog,0\r\nbTackTray,0\r\nbRotateServer,1\r\nbFirstExec,0\r\nbUseHttpProxy,0\r\n"
                "sProtocol,ntp\r\nsHttpProxy,ab\r\nbBroadcastRecv,0\r\nnBroadcastRecvPortNo,4464\r\n",
            data.Get("ntp_config.txt"));
  EXPECT_EQ(kFiveServers, data.Get("ntp_server.txt"));
  EXPECT_EQ(2, data.Count());    // no temporary file left behind
  EXPECT_EQ(2, module.Count());  // the program folder untouched
}

TEST(ClientConfig, SaveEditsTheLoadedDocument) {
  CTempFolder data;
  // Shift-JIS with 0x5C trail bytes (表 95 5C, ソ 83 5C), quotes and a record over two lines.
  const std::string kept = "# MULTI SECTION CSV FORMAT\r\n# 表示の設定\r\n\r\n[ OTHER ]\r\nname,\"a b\",表示\r\n"
                           "quote,\"say \"\"hi\"\"\",x\r\nmulti,\"line1\r\nline2 ソ\",end\r\n\r\n"
                           "[ NTP CLIENT SETTING ]\r\nsForeign,keep me\r\nnSelectServerNo,3\r\nsProtocol,http\r\n"
                           "bUseHttpProxy,1\r\nsHttpProxy,\"proxy host:8080\"\r\nsServerListUrl,http://127.0.0.51:8080/\r\n";
  data.Put("ntp_config.txt", kept);
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr);
  config.LoadConfig();
  EXPECT_EQ(CClientSettings::protocolHttp, config.sProtocol);
  EXPECT_STREQ("proxy host:8080", config.sHttpProxy);
  EXPECT_EQ("http://127.0.0.51:8080/NAAA", std::string(config.GetServerListUrl()));
  EXPECT_EQ("sel=-1", Shown(config));  // no http list anywhere
  config.SaveConfig();
  // The rows of other keys and sections stay where they were; with no entry
  // selected the saved index stays too. New keys go to the section's end.
  EXPECT_EQ(kept + "nCheckSpan,5\r\nnTimeout,600\r\nnAllowance,200\r\nbAutoExec,0\r\nbSaveLog,0\r\nbTackTray,0\r\n"
                   "bRotateServer,1\r\nbFirstExec,0\r\nbBroadcastRecv,0\r\nnBroadcastRecvPortNo,123\r\n",
            data.Get("ntp_config.txt"));
  EXPECT_EQ("", data.Get("http_server.txt"));  // an empty list leaves an empty file
}

TEST(ServerList, RowsFallbacksAndWriting) {
  CTempFolder data, module;
  CClientConfig config(data.Path().c_str(), module.Path().c_str(), nullptr);
  CServerList* list = config.GetServerList();
  // Comments, empty lines and one-field rows give no entry; a third field is ignored.
  data.Put("ntp_server.txt", "# comment,x\r\n\r\nsolo\r\n\"NICT 日本\",ntp.nict.jp,extra\n#x,y\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("NICT 日本 (ntp.nict.jp);sel=0", Shown(config));
  // Quoted when written where needed, and read back without quotes.
  ASSERT_TRUE(list->AddItem(new NTP_SERVER_INFO("", "b,c", "h\"q")) >= 0);
  ASSERT_TRUE(config.WriteServerList((data.Path() + "ntp_server.txt").c_str()));
  EXPECT_EQ("\"NICT 日本\",ntp.nict.jp\r\n\"b,c\",\"h\"\"q\"\r\n", data.Get("ntp_server.txt"));
  list->SetSelection(1);
  config.LoadServerList(FALSE);  // without reset: appended, the selection stays
  EXPECT_EQ("NICT 日本 (ntp.nict.jp);b,c (h\"q);NICT 日本 (ntp.nict.jp);b,c (h\"q);sel=1", Shown(config));
  list->DeleteItem(0);  // the selection follows its entry
  EXPECT_EQ(0, list->GetSelection());

  // An empty list file in the data folder counts as read: the program
  // folder's list is not tried, the factory list is, data folder first.
  data.Put("ntp_server.txt", "");
  module.Put("ntp_server.txt", "module,m.example\r\n");
  data.Put("ntp_server.org", "data factory,d.example\r\n");
  module.Put("ntp_server.org", "module factory,f.example\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("data factory (d.example);sel=0", Shown(config));
  DeleteFileA((data.Path() + "ntp_server.org").c_str());
  config.LoadServerList(TRUE);
  EXPECT_EQ("module factory (f.example);sel=0", Shown(config));
  DeleteFileA((data.Path() + "ntp_server.txt").c_str());
  config.LoadServerList(TRUE);
  EXPECT_EQ("module (m.example);sel=0", Shown(config));
  config.sProtocol = CClientSettings::protocolHttp;  // files of its own
  module.Put("http_server.org", "web,http://w.example/\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("web (http://w.example/);sel=0", Shown(config));
  EXPECT_STREQ("http", list->GetAt(0)->sProtocolName);

  // A list that cannot be written leaves no file; an abandoned replacement
  // leaves the old file as it was and no temporary file.
  EXPECT_FALSE(config.WriteServerList((data.Path() + "missing\\http_server.txt").c_str()));
  data.Put("keep.txt", "old");
  {
    CReplacingFileWriter writer;
    ASSERT_TRUE(writer.Create((data.Path() + "keep.txt").c_str()));
    EXPECT_EQ(3, writer.Write("new", 3));
  }
  EXPECT_EQ("old", data.Get("keep.txt"));
  EXPECT_EQ(1, data.Count());
}
