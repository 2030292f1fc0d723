#include "server/server_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "client/temp_folder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The non-empty lines of a profile file, CR stripped, joined with '|'.
std::string Lines(const std::string& path) {
  std::istringstream in(ReadAll(path));
  std::string line, all;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    all += (all.empty() ? "" : "|") + line;
  }
  return all;
}

}  // namespace

TEST(ServerSettings, DefaultsAndTheFileWrittenAtExit) {
  CTempFolder folder;
  std::string path = folder.Path() + "SORBEL.INI";
  {
    CServerSettings s(path.c_str());
    EXPECT_EQ(4, s.nStratum);
    EXPECT_STREQ("127.0.0.1", s.sRefId);
    EXPECT_EQ(123, s.nNtpPort);
    EXPECT_TRUE(s.bResponseMode);
    EXPECT_FALSE(s.bBroadcastMode);
    EXPECT_EQ(7200, s.nBroadcastSpanSec);
    EXPECT_EQ(123, s.nBroadcastPort);
    EXPECT_EQ(0xFFFFFFFFu, s.dwBroadcastAddr);
    EXPECT_TRUE(s.bDirty);
    EXPECT_TRUE(ReadAll(path).empty());  // nothing written before the end
  }
  EXPECT_EQ(
      "[NTPCONFIG]|STRATUM=4|REFID=127.0.0.1|NTP_PORT=123|[SORBEL]|MODE_NTP_RESPONSE=ON|"
      "MODE_NTP_BROADCAST=OFF|BROADCAST_SPANSEC=7200|BROADCAST_NTPPORT=123|"
      "BROADCAST_IPADDR=255.255.255.255",
      Lines(path));

  // Saved since the last change: the destructor leaves the file alone, so
  // edits made after the save survive.
  {
    CServerSettings s(path.c_str());
    s.bBroadcastMode = TRUE;
    EXPECT_TRUE(s.SaveSettings());
    EXPECT_FALSE(s.bDirty);
    WritePrivateProfileStringA("NTPCONFIG", "STRATUM", "9", path.c_str());
  }
  EXPECT_EQ(9, static_cast<int>(GetPrivateProfileIntA("NTPCONFIG", "STRATUM", 0, path.c_str())));
  CServerSettings back(path.c_str());
  EXPECT_TRUE(back.bBroadcastMode);
  back.bDirty = FALSE;
}

TEST(ServerSettings, ValueRules) {
  CTempFolder folder;
  struct Case {
    const char* ini;
    int stratum;
    const char* refId;
    BOOL response, broadcast;
    int span;
    DWORD address;
  };
  const Case cases[] = {
      // Only strata 0 and 1 (unsigned view) default to a clock code.
      {"[NTPCONFIG]\r\nSTRATUM=1\r\n", 1, "RAVO", TRUE, FALSE, 7200, 0xFFFFFFFF},
      {"[NTPCONFIG]\r\nSTRATUM=0\r\n", 0, "RAVO", TRUE, FALSE, 7200, 0xFFFFFFFF},
      {"[NTPCONFIG]\r\nSTRATUM=-1\r\n", -1, "127.0.0.1", TRUE, FALSE, 7200, 0xFFFFFFFF},
      // Names are case-insensitive, "on" is on, anything else off.
      {"[sorbel]\nmode_ntp_response=1\nMODE_NTP_BROADCAST=on\nBROADCAST_SPANSEC=60\n", 4,
       "127.0.0.1", FALSE, TRUE, 1800, 0xFFFFFFFF},
      {"[SORBEL]\nMODE_NTP_RESPONSE=YES\nBROADCAST_SPANSEC=3600\nBROADCAST_IPADDR=127.0.0.9\n", 4,
       "127.0.0.1", FALSE, FALSE, 3600, 0x0900007F},
      // A negative span is no interval: the minimum.
      {"[SORBEL]\nBROADCAST_SPANSEC=-5\nBROADCAST_IPADDR=no.where\n", 4, "127.0.0.1", TRUE, FALSE,
       1800, 0xFFFFFFFF},
      // A given REFID is kept as it stands, also longer than four bytes.
      {"[NTPCONFIG]\nSTRATUM=1\nREFID=GPSX1\n", 1, "GPSX1", TRUE, FALSE, 7200, 0xFFFFFFFF},
  };
  int i = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    std::string name = "case" + std::to_string(i++) + ".ini";
    folder.Put(name, c.ini);
    std::string path = folder.Path() + name;
    {
      CServerSettings s(path.c_str());
      EXPECT_EQ(c.stratum, s.nStratum);
      EXPECT_STREQ(c.refId, s.sRefId);
      EXPECT_EQ(c.response, s.bResponseMode);
      EXPECT_EQ(c.broadcast, s.bBroadcastMode);
      EXPECT_EQ(c.span, s.nBroadcastSpanSec);
      EXPECT_EQ(c.address, s.dwBroadcastAddr);
    }
    // Written back in the normalised form.
    char text[64];
    GetPrivateProfileStringA("SORBEL", "BROADCAST_IPADDR", "", text, sizeof(text), path.c_str());
    EXPECT_STREQ(c.address == 0xFFFFFFFF ? "255.255.255.255" : "127.0.0.9", text);
    GetPrivateProfileStringA("SORBEL", "MODE_NTP_RESPONSE", "", text, sizeof(text), path.c_str());
    EXPECT_STREQ(c.response ? "ON" : "OFF", text);
  }

  // At most 198 characters of a text value are taken.
  folder.Put("long.ini", "[NTPCONFIG]\nREFID=" + std::string(300, 'x') + "\n");
  CServerSettings s((folder.Path() + "long.ini").c_str());
  EXPECT_EQ(198, s.sRefId.GetLength());
  s.bDirty = FALSE;
}
