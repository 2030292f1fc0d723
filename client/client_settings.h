#pragma once
// The client's settings record, and the object that moves it between memory
// and "ntp_config.txt" together with the server lists of both protocols.
#include <windows.h>

#include <memory>

#include "base/char_string.h"
#include "base/string_array.h"
#include "base/unread_rest.h"
#include "client/server_info.h"
#include "client/sys/user_prompt.h"

// The fields are named like their keys in the settings file.
class CClientSettings {
 public:
  enum { protocolNtp = 1, protocolHttp = 2 };

  CClientSettings();
  virtual ~CClientSettings();

  int nCheckSpan;  // minutes
  int nTimeout;    // ms
  int nAllowance;  // ms
  int bAutoExec;
  int bSaveLog;
  int bTackTray;
  int bRotateServer;
  int bBroadcastRecv;
  WORD nBroadcastRecvPortNo;
  int bFirstExec;
  int sProtocol;  // protocolNtp or protocolHttp
  int bUseHttpProxy;
  CCharString sHttpProxy;
};

// The settings with their files: what the settings panel holds. The panel
// derives from it, overrides ReadPanel and hands its list control in with
// SetServerList; until then the entries live in a plain CServerList.
class CClientConfig : public CClientSettings {
 public:
  static const char* const kSection;         // "NTP CLIENT SETTING"
  static const char* const kConfigFile;      // "ntp_config.txt"
  static const char* const kServerListUrlKey;  // "sServerListUrl"
  static const char* const kDefaultServerListUrl;
  static constexpr int kDefaultDownloadTimeout = 60000;  // ms, the whole download
  static constexpr int kMaxListBytes = 1024 * 1024;

  // Both folders end in a backslash. The prompt (not owned) shows the
  // settings' messages; it may be nullptr, then nothing is shown.
  CClientConfig(const char* pszDataFolder, const char* pszModuleFolder, CUserPrompt* pPrompt);
  ~CClientConfig() override;

  // Rebuilds aHosts from the server list; the panel first adds its
  // controls' values to the record. 1.
  virtual BOOL ReadPanel();
  // The record into the panel's controls; the plain object has none. 1.
  virtual BOOL WritePanel();

  // Reads the settings file (data folder, else program folder), then the
  // server list of the protocol read, and selects the saved entry. 1.
  BOOL LoadConfig();
  // ReadPanel, then the settings into the data folder's file (or
  // pszConfigPath) and the current list into its list file (or pszListPath). 1.
  BOOL SaveConfig(const char* pszConfigPath = nullptr, const char* pszListPath = nullptr);

  // The current protocol's list from its files; with bReset the list is
  // emptied first and entry 0 selected afterwards. 1.
  BOOL LoadServerList(BOOL bReset);
  // Appends the entries of list file pszName (data folder, else program
  // folder); true when pList then holds an entry. pRest, when given, gets
  // what the file holds beyond what could be read.
  bool ReadServerFile(const char* pszName, CServerList* pList, CUnreadRest* pRest = nullptr);
  // The list as rows of name and host, followed by what the list file read
  // last held beyond what could be read. The file is replaced only when
  // every row was written; not at all when that rest could not be kept.
  BOOL WriteServerList(const char* pszPath);
  // Fetches the current protocol's list from the server-list address and
  // makes it the list; false (files and list unchanged) when the final
  // answer is not a success (2xx) or no complete list with at least one
  // entry arrived.
  bool DownloadServerList();

  // "http" or "ntp", by sProtocol.
  const char* GetProtocolPrefix() const;
  // The list file of the current protocol in the data folder.
  CCharString GetServerListPath(const char* pszSuffix) const;
  // The download address of the current protocol's list.
  CCharString GetServerListUrl() const;

  CServerList* GetServerList() const { return pServers; }
  // The list that holds the entries from then on. A list that deletes itself
  // with its window (the panel's list control, a child of the panel, whose
  // window outlives this object) is only referred to; any other is owned.
  void SetServerList(CServerList* pList);

  CCharString sDataFolder;
  CCharString sModuleFolder;
  CUserPrompt* pPrompt;
  // Base address of the list download ("/MAAA" or "/NAAA" is appended);
  // empty means kDefaultServerListUrl. Read from and kept in the settings.
  CCharString sServerListUrl;
  // The other addresses of the program's own, read from and kept in the
  // settings like sServerListUrl; empty means the program's built-in one:
  // the NTP server and the web site the network diagnosis tries, the
  // update-information page.
  CCharString sDiagnosisNtpServer;
  CCharString sDiagnosisWebSite;
  CCharString sUpdateInfoUrl;
  int nDownloadTimeout;
  // The unread rest of the current protocol's "_server.txt" (see CUnreadRest).
  CUnreadRest restServerList;
  // The host or URL of every list entry whose host is not empty, in list
  // order, as ReadPanel found them: what the correction runs try.
  Array<CCharString> aHosts;

 private:
  std::unique_ptr<CServerList> pOwnedServers;
  CServerList* pServers;
};

// Appends the entries of one list file; FALSE when it cannot be opened.
// pRest, when given, gets what the file holds beyond what could be read.
BOOL ReadServerListFile(const char* pszPath, const char* pszProtocolName, CServerList* pList,
                        CUnreadRest* pRest = nullptr);
