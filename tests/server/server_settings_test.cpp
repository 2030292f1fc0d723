#include "client/temp_folder.h"
#include "server/server_settings.h"
#include "support/suite.h"

TEST(ServerSettings, TheFileWrittenAtExitAndOnlyWhenChanged) {
  CTempFolder folder;
  std::string path = folder.Path() + "SORBEL.INI";
  {
    CServerSettings s(path.c_str());
    EXPECT_EQ("<missing>", folder.Get("SORBEL.INI"));  // nothing written before the end
  }
  EXPECT_EQ("[NTPCONFIG]\r\nSTRATUM=4\r\nREFID=127.0.0.1\r\nNTP_PORT=123\r\n[SORBEL]\r\nMODE_NTP_RESPONSE=ON\r\n"
            "MODE_NTP_BROADCAST=OFF\r\nBROADCAST_SPANSEC=7200\r\nBROADCAST_NTPPORT=123\r\n"
            "BROADCAST_IPADDR=255.255.255.255\r\n",
            folder.Get("SORBEL.INI"));
  // Saved since the last change: the destructor leaves the file alone, so later edits survive.
  {
    CServerSettings s(path.c_str());
    s.bBroadcastMode = TRUE;
    EXPECT_TRUE(s.SaveSettings());
    EXPECT_FALSE(s.bDirty);
    WritePrivateProfileStringA("NTPCONFIG", "STRATUM", "9", path.c_str());
  }
  CServerSettings back(path.c_str());
  EXPECT_EQ(9, back.nStratum);
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
    const char* address = "255.255.255.255";
  } cases[] = {
      // Only strata 0 and 1 (unsigned view) default to a clock code.
      {"[NTPCONFIG]\r\nSTRATUM=1\r\n", 1, "RAVO", TRUE, FALSE, 7200},
      {"[NTPCONFIG]\r\nSTRATUM=0\r\n", 0, "RAVO", TRUE, FALSE, 7200},
      {"[NTPCONFIG]\r\nSTRATUM=-1\r\n", -1, "127.0.0.1", TRUE, FALSE, 7200},
      // Names are case-insensitive, "on" is on, anything else off; spans have a minimum.
      {"[sorbel]\nmode_ntp_response=1\nMODE_NTP_BROADCAST=on\nBROADCAST_SPANSEC=60\n", 4, "127.0.0.1", FALSE, TRUE,
       1800},
      {"[SORBEL]\nMODE_NTP_RESPONSE=YES\nBROADCAST_SPANSEC=3600\nBROADCAST_IPADDR=127.0.0.9\n", 4, "127.0.0.1",
       FALSE, FALSE, 3600, "127.0.0.9"},
      {"[SORBEL]\nBROADCAST_SPANSEC=-5\nBROADCAST_IPADDR=no.where\n", 4, "127.0.0.1", TRUE, FALSE, 1800},
      // A given REFID is kept as it stands, also longer than four bytes.
      {"[NTPCONFIG]\nSTRATUM=1\nREFID=GPSX1\n", 1, "GPSX1", TRUE, FALSE, 7200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    std::string name = "case" + std::to_string(&c - cases) + ".ini";  // the profile cache goes by name
    folder.Put(name, c.ini);
    std::string path = folder.Path() + name;
    {
      CServerSettings s(path.c_str());
      EXPECT_EQ(c.stratum, s.nStratum);
      EXPECT_STREQ(c.refId, s.sRefId);
      EXPECT_EQ(c.response, s.bResponseMode);
      EXPECT_EQ(c.broadcast, s.bBroadcastMode);
      EXPECT_EQ(c.span, s.nBroadcastSpanSec);
    }
    // Written back in the normalised form.
    char text[64];
    GetPrivateProfileStringA("SORBEL", "BROADCAST_IPADDR", "", text, sizeof(text), path.c_str());
    EXPECT_STREQ(c.address, text);
    GetPrivateProfileStringA("SORBEL", "MODE_NTP_RESPONSE", "", text, sizeof(text), path.c_str());
    EXPECT_STREQ(c.response ? "ON" : "OFF", text);
  }
  folder.Put("long.ini", "[NTPCONFIG]\nREFID=" + std::string(300, 'x') + "\n");
  CServerSettings s((folder.Path() + "long.ini").c_str());
  EXPECT_EQ(198, s.sRefId.GetLength());  // at most 198 characters of a text value
  s.bDirty = FALSE;
}
