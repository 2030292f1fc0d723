// Whatever the program can hold comes back after a save and a load, and what
// it could not read of its files is kept by a save: settings records and
// server lists with the texts that matter to the file format, a settings
// file and a list file with an over-long line, and the rule for typed texts.
#include <gtest/gtest.h>

#include <limits.h>

#include <string>
#include <vector>

#include "client/client_settings.h"
#include "client/entry_text.h"
#include "temp_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof(buffer), &n, nullptr) && n > 0)
    bytes.append(buffer, n);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return bytes;
}

std::string Entries(const CClientConfig& config) {
  std::string text;
  CServerList* list = config.GetServerList();
  for (int i = 0; i < list->GetCount(); ++i)
    text += std::string(list->GetAt(i)->sName) + "|" + std::string(list->GetAt(i)->sHost) + "\n";
  return text + "sel=" + std::to_string(list->GetSelection());
}

// Every field of the record, then the list.
std::string Record(const CClientConfig& c) {
  char text[160];
  wsprintfA(text, "%d %d %d %d %d %d %d %d %u %d %d %d|", c.nCheckSpan, c.nTimeout, c.nAllowance, c.bAutoExec,
            c.bSaveLog, c.bTackTray, c.bRotateServer, c.bBroadcastRecv, c.nBroadcastRecvPortNo, c.bFirstExec,
            c.sProtocol, c.bUseHttpProxy);
  return text + std::string(c.sHttpProxy) + "\n" + Entries(c);
}

}  // namespace

TEST(ClientRoundTrip, EverySettingsRecordAndListReadsBackEqual) {
  // Blanks, commas, quotes, a leading "#", trail bytes "\" and "|", a
  // double-byte character at the length limit and the longest row a list
  // can have (every byte a quote, doubled when written).
  const std::vector<std::string> texts = {
      "a b", "x,y", "say \"hi\"", "#1 primary", "#x", "#", "表示|ソ\\ポ", "a\tb",
      "http://h.example:8080/p?q=1",
      std::string(kMaxEntryTextBytes - 2, 'x') + "表", std::string(kMaxEntryTextBytes, '"')};
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string& text = texts[i];
    const std::string& other = texts[(i + 1) % texts.size()];
    SCOPED_TRACE(text);
    ASSERT_STREQ(text.c_str(), CleanEntryText(text.c_str()));  // a text the dialogs accept
    CTempFolder data;
    CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr);
    config.nCheckSpan = 15 + static_cast<int>(i);
    config.nTimeout = i % 2 ? INT_MAX : 1600;
    config.nAllowance = i % 2 ? INT_MIN : 1200;
    config.bAutoExec = config.bSaveLog = config.bTackTray = config.bBroadcastRecv = i % 2;
    config.bRotateServer = (i + 1) % 2;
    config.nBroadcastRecvPortNo = i % 2 ? 65535 : 0;
    config.sProtocol = i % 2 ? CClientSettings::protocolHttp : CClientSettings::protocolNtp;
    config.bUseHttpProxy = text.size() >= 3;
    config.sHttpProxy = text.c_str();
    CServerList* list = config.GetServerList();
    list->AddItem(new NTP_SERVER_INFO("", text.c_str(), other.c_str()));
    list->AddItem(new NTP_SERVER_INFO("", other.c_str(), text.c_str()));
    list->AddItem(new NTP_SERVER_INFO("", "", "h"));
    list->SetSelection(static_cast<int>(i % 3));
    ASSERT_EQ(1, config.SaveConfig());  // clears bFirstExec

    CClientConfig back(data.Path().c_str(), data.Path().c_str(), nullptr);
    back.LoadConfig();
    EXPECT_EQ(Record(config), Record(back));
  }
}

TEST(ClientRoundTrip, WhatALoadCouldNotReadSurvivesASave) {
  CTempFolder data;
  const std::string longLine = "# " + std::string(5000, 'L');
  const std::string rest =
      longLine + "\r\nbSaveLog,1\r\n\r\n[ foreign ]\r\nkey,\"a b\"\r\n# comment\r\nno line end";
  data.Put("ntp_config.txt",
           "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\nnCheckSpan,30\r\n" + rest);
  data.Put("ntp_server.txt", "a,h1\r\n" + longLine + "\r\nb,h2\r\n");
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr);
  config.LoadConfig();
  EXPECT_EQ(30, config.nCheckSpan);
  EXPECT_EQ(0, config.bSaveLog);  // beyond the long line
  EXPECT_EQ("a|h1\nsel=0", Entries(config));
  config.GetServerList()->AddItem(new NTP_SERVER_INFO("", "c", "h3"));
  config.SaveConfig();
  const std::string saved =
      "# MULTI SECTION CSV FORMAT\r\n\r\n[ NTP CLIENT SETTING ]\r\nnCheckSpan,30\r\nnTimeout,600\r\n"
      "nAllowance,200\r\nnSelectServerNo,0\r\nbAutoExec,0\r\nbSaveLog,0\r\nbTackTray,0\r\nbRotateServer,1\r\n"
      "bFirstExec,0\r\nbUseHttpProxy,0\r\nsProtocol,ntp\r\nsHttpProxy,\r\nbBroadcastRecv,0\r\n"
      "nBroadcastRecvPortNo,123\r\n" + rest;
  EXPECT_TRUE(saved == ReadAll(data.Path() + "ntp_config.txt"));
  EXPECT_TRUE("a,h1\r\nc,h3\r\n" + longLine + "\r\nb,h2\r\n" == ReadAll(data.Path() + "ntp_server.txt"));
  CClientConfig again(data.Path().c_str(), data.Path().c_str(), nullptr);
  again.LoadConfig();
  again.SaveConfig();
  EXPECT_TRUE(saved == ReadAll(data.Path() + "ntp_config.txt"));

  // A list file that gives no entry before its long line: the factory list
  // is shown, and saving it keeps the file's unread part.
  data.Put("ntp_server.txt", longLine + "\r\nb,h2\r\n");
  data.Put("ntp_server.org", "f,fh\r\n");
  config.LoadServerList(TRUE);
  EXPECT_EQ("f|fh\nsel=0", Entries(config));
  config.SaveConfig();
  EXPECT_TRUE("f,fh\r\n" + longLine + "\r\nb,h2\r\n" == ReadAll(data.Path() + "ntp_server.txt"));
}

TEST(ClientRoundTrip, CommentsOfEarlierFilesAndTypedTexts) {
  // Rows that begin with "#" stay comments; a quoted "#" name is an entry.
  CTempFolder data;
  data.Put("ntp_server.txt", "# comment\r\n#x,y\r\n\"#q\",h\r\n");
  CClientConfig config(data.Path().c_str(), data.Path().c_str(), nullptr);
  config.LoadServerList(TRUE);
  EXPECT_EQ("#q|h\nsel=0", Entries(config));

  EXPECT_STREQ("a b c", CleanEntryText(" \r\na\r\nb\nc\x95\r\n"));
  EXPECT_STREQ("表", CleanEntryText("表\x95"));
  EXPECT_STREQ(std::string(kMaxEntryTextBytes, 'x').c_str(), CleanEntryText(std::string(1200, 'x').c_str()));
  // A double-byte character that would cross the limit goes whole.
  EXPECT_STREQ(std::string(kMaxEntryTextBytes - 1, 'x').c_str(),
               CleanEntryText((std::string(kMaxEntryTextBytes - 1, 'x') + "表").c_str()));
  EXPECT_STREQ("", CleanEntryText(nullptr));
}
