// The settings file and the server-list files: load rules, the layout of a
// new settings file, edits that keep what else the file holds, and the list
// files with their fallbacks between data and program folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/replacing_file_writer.h"
#include "client/client_settings.h"
#include "temp_folder.h"

namespace {

class CRecordingPrompt : public CUserPrompt {
 public:
  std::vector<std::string> texts;
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
    ++nReads;
    if (nCheckSpan < 15) nCheckSpan = 15;
    return 1;
  }
  int nReads = 0;
};

std::string FileBytes(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(65536, '\0');
  DWORD n = 0;
  ::ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  bytes.resize(n);
  return bytes;
}

int FileCount(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  int count = 0;
  for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return count;
}

// "name (host)" of every entry, then the selection.
std::string Shown(const CClientConfig& config) {
  std::string text;
  CServerList* list = config.GetServerList();
  for (int i = 0; i < list->GetCount(); ++i) text += std::string(list->GetAt(i)->GetText()) + ";";
  return text + "sel=" + std::to_string(list->GetSelection());
}

const char kFiveServers[] = "a,h1\r\nb,h2\r\nc,h3\r\nd,h4\r\ne,h5\r\n";

}  // namespace

TEST(ClientConfig, LoadRulesAndTheFirstSaveFromAProgramFolderCopy) {
  CTempFolder data, module;
  CRecordingPrompt prompt;
  module.Put("ntp_config.txt",
             "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n"
             "nCheckSpan,5\r\nnTimeout,abc\r\nnAllowance,\r\nnSelectServerNo,7\r\n"
             "bAutoExec,1\r\nbFirstExec,1\r\nbUseHttpProxy,1\r\nsProtocol,HTTP\r\nsHttpProxy,ab\r\n"
             "nBroadcastRecvPortNo,70000\r\nsOther,kept only in the program folder\r\n");
  module.Put("ntp_server.org", kFiveServers);
  module.Put("http_server.org", "web,http://127.0.0.1/\r\n");
  CPanelConfig config(data.Path().c_str(), module.Path().c_str(), &prompt);
  ASSERT_EQ(1, config.LoadConfig());

  EXPECT_EQ(5, config.nCheckSpan);    // no range test before the panel is read
  EXPECT_EQ(0, config.nTimeout);      // letters read as 0
  EXPECT_EQ(200, config.nAllowance);  // an empty value keeps the initial one
  EXPECT_EQ(CClientSettings::protocolNtp, config.sProtocol);  // "http" only, exactly
  EXPECT_EQ(4464, config.nBroadcastRecvPortNo);
  EXPECT_EQ(0, config.bUseHttpProxy);
  EXPECT_STREQ("ab", config.sHttpProxy);
  ASSERT_EQ(1u, prompt.texts.size());
  EXPECT_EQ("HTTPプロキシの設定値が無効です。", prompt.texts[0]);
  // Entry 7 of five falls back to the first.
  EXPECT_EQ("a (h1);b (h2);c (h3);d (h4);e (h5);sel=0", Shown(config));
  EXPECT_EQ("http://www.ravo.example/MAAA", std::string(config.GetServerListUrl()));

  config.GetServerList()->SetSelection(3);
  ASSERT_EQ(1, config.SaveConfig());
  EXPECT_EQ(1, config.nReads);
  EXPECT_EQ(0, config.bFirstExec);
  // A new file: title, section, every key in order; nothing of the copy's
  // foreign rows, since the data folder held no document to edit.
  EXPECT_EQ(
      "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\n"
      "nCheckSpan,15\r\nnTimeout,0\r\nnAllowance,200\r\nnSelectServerNo,3\r\nbAutoExec,1\r\n"
      "bSaveLog,0\r\nbTackTray,0\r\nbRotateServer,1\r\nbFirstExec,0\r\nbUseHttpProxy,0\r\n"
      "sProtocol,ntp\r\nsHttpProxy,ab\r\nbBroadcastRecv,0\r\nnBroadcastRecvPortNo,4464\r\n",
      FileBytes(data.Path() + "ntp_config.txt"));
  EXPECT_EQ(kFiveServers, FileBytes(data.Path() + "ntp_server.txt"));
  EXPECT_EQ(2, FileCount(data.Path()));  // no temporary file left behind
  EXPECT_EQ(1, FileCount(module.Path()) - 2);  // the program folder untouched

}

TEST(ClientConfig, SaveEditsTheLoadedDocument) {
  CTempFolder data;
  CRecordingPrompt prompt;
  data.Put("ntp_config.txt",
           "# MULTI SECTION CSV FORMAT\r\n# a note of the user\r\n\r\n[ OTHER ]\r\nx,1,2\r\n\r\n"
           "[ NTP CLIENT SETTING ]\r\nsForeign,keep me\r\nnSelectServerNo,3\r\nsProtocol,http\r\n"
           "bUseHttpProxy,1\r\nsHttpProxy,\"proxy host:8080\"\r\nsServerListUrl,http://127.0.0.51:8080/\r\n");
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), &prompt);
  config.LoadConfig();
  EXPECT_TRUE(prompt.texts.empty());
  EXPECT_EQ(CClientSettings::protocolHttp, config.sProtocol);
  EXPECT_EQ(1, config.bUseHttpProxy);
  EXPECT_STREQ("proxy host:8080", config.sHttpProxy);
  EXPECT_EQ("http://127.0.0.51:8080/NAAA", std::string(config.GetServerListUrl()));
  EXPECT_EQ("sel=-1", Shown(config));  // no http list anywhere

  config.SaveConfig();
  // The rows of other keys and sections stay where they were; with no entry
  // selected the saved index stays too. New keys go to the section's end.
  EXPECT_EQ(
      "# MULTI SECTION CSV FORMAT\r\n# a note of the user\r\n\r\n[ OTHER ]\r\nx,1,2\r\n\r\n"
      "[ NTP CLIENT SETTING ]\r\nsForeign,keep me\r\nnSelectServerNo,3\r\nsProtocol,http\r\n"
      "bUseHttpProxy,1\r\nsHttpProxy,\"proxy host:8080\"\r\nsServerListUrl,http://127.0.0.51:8080/\r\n"
      "nCheckSpan,5\r\nnTimeout,600\r\nnAllowance,200\r\nbAutoExec,0\r\nbSaveLog,0\r\nbTackTray,0\r\n"
      "bRotateServer,1\r\nbFirstExec,0\r\nbBroadcastRecv,0\r\nnBroadcastRecvPortNo,123\r\n",
      FileBytes(data.Path() + "ntp_config.txt"));
  EXPECT_EQ("", FileBytes(data.Path() + "http_server.txt"));  // an empty list leaves an empty file

}

TEST(ServerList, RowsFallbacksAndWriting) {
  CTempFolder data, module;
  CClientConfig config(data.Path().c_str(), module.Path().c_str(), nullptr);
  CServerList* list = config.GetServerList();

  // Comments, empty lines and one-field rows give no entry; a third field is ignored.
  data.Put("ntp_server.txt", "# comment,x\r\n\r\nsolo\r\n\"NICT 日本\",ntp.nict.jp,extra\n#x,y\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("NICT 日本 (ntp.nict.jp);sel=0", Shown(config));
  EXPECT_STREQ("ntp", list->GetAt(0)->sProtocolName);
  // A name with a blank is quoted when written, and read back without quotes.
  ASSERT_TRUE(list->AddItem(new NTP_SERVER_INFO("", "b,c", "h\"q")) >= 0);
  ASSERT_TRUE(config.WriteServerList((data.Path() + "ntp_server.txt").c_str()));
  EXPECT_EQ("\"NICT 日本\",ntp.nict.jp\r\n\"b,c\",\"h\"\"q\"\r\n", FileBytes(data.Path() + "ntp_server.txt"));
  config.LoadServerList(TRUE);
  EXPECT_EQ("NICT 日本 (ntp.nict.jp);b,c (h\"q);sel=0", Shown(config));

  // Without reset the entries are appended and the selection stays.
  list->SetSelection(1);
  config.LoadServerList(FALSE);
  EXPECT_EQ(4, list->GetCount());
  EXPECT_EQ(1, list->GetSelection());
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

  // The other protocol has files of its own.
  config.sProtocol = CClientSettings::protocolHttp;
  config.LoadServerList(TRUE);
  EXPECT_EQ("sel=-1", Shown(config));
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
  EXPECT_EQ("old", FileBytes(data.Path() + "keep.txt"));
  EXPECT_EQ(1, FileCount(data.Path()));
}
