#include "client/client_settings.h"

#include "base/csv_section.h"

const char* const CClientConfig::kSection = "NTP CLIENT SETTING";
const char* const CClientConfig::kConfigFile = "ntp_config.txt";
const char* const CClientConfig::kServerListUrlKey = "sServerListUrl";
const char* const CClientConfig::kDefaultServerListUrl = "http://www.ravo.example";

namespace {
struct AddressKey {
  const char* pszKey;
  CCharString CClientConfig::*pMember;
};
const AddressKey kAddressKeys[] = {{"sDiagnosisNtpServer", &CClientConfig::sDiagnosisNtpServer},
                                   {"sDiagnosisWebSite", &CClientConfig::sDiagnosisWebSite},
                                   {"sUpdateInfoUrl", &CClientConfig::sUpdateInfoUrl}};
}  // namespace

CClientSettings::CClientSettings()
    : nCheckSpan(5),
      nTimeout(600),
      nAllowance(200),
      bAutoExec(0),
      bSaveLog(0),
      bTackTray(0),
      bRotateServer(1),
      bBroadcastRecv(0),
      nBroadcastRecvPortNo(123),
      bFirstExec(1),
      sProtocol(protocolNtp),
      bUseHttpProxy(0) {}

CClientSettings::~CClientSettings() {}

CClientConfig::CClientConfig(const char* pszDataFolder, const char* pszModuleFolder, CUserPrompt* pPrompt)
    : sDataFolder(pszDataFolder),
      sModuleFolder(pszModuleFolder),
      pPrompt(pPrompt),
      nDownloadTimeout(kDefaultDownloadTimeout),
      pOwnedServers(new CServerList),
      pServers(pOwnedServers.get()) {}

CClientConfig::~CClientConfig() {}

BOOL CClientConfig::ReadPanel() {
  aHosts.RemoveAll();
  CServerList* pList = GetServerList();
  for (int i = 0; i < pList->GetCount(); ++i) {
    const NTP_SERVER_INFO* pEntry = pList->GetAt(i);
    if (pEntry != nullptr && !pEntry->sHost.IsEmpty()) aHosts.Add(pEntry->sHost);
  }
  return 1;
}

BOOL CClientConfig::WritePanel() { return 1; }

void CClientConfig::SetServerList(CServerList* pList) {
  if (pList == nullptr || pList == pServers) return;
  pServers = pList;
  pOwnedServers.reset(pList->DeletesItself() ? nullptr : pList);
}

const char* CClientConfig::GetProtocolPrefix() const { return sProtocol == protocolHttp ? "http" : "ntp"; }

CCharString CClientConfig::GetServerListPath(const char* pszSuffix) const {
  return sDataFolder + GetProtocolPrefix() + pszSuffix;
}

BOOL CClientConfig::LoadConfig() {
  CCSVSection doc;
  if (!doc.Load(sDataFolder + kConfigFile)) doc.Load(sModuleFolder + kConfigFile);

  nCheckSpan = doc.GetInt(kSection, "nCheckSpan", 0, nCheckSpan);
  nTimeout = doc.GetInt(kSection, "nTimeout", 0, nTimeout);
  nAllowance = doc.GetInt(kSection, "nAllowance", 0, nAllowance);
  int nSelectServerNo = doc.GetInt(kSection, "nSelectServerNo", 0, 0);
  bAutoExec = doc.GetInt(kSection, "bAutoExec", 0, bAutoExec);
  bSaveLog = doc.GetInt(kSection, "bSaveLog", 0, bSaveLog);
  bTackTray = doc.GetInt(kSection, "bTackTray", 0, bTackTray);
  bRotateServer = doc.GetInt(kSection, "bRotateServer", 0, bRotateServer);
  bFirstExec = doc.GetInt(kSection, "bFirstExec", 0, bFirstExec);
  bUseHttpProxy = doc.GetInt(kSection, "bUseHttpProxy", 0, bUseHttpProxy);

  CCharString sText;
  sProtocol = doc.GetString(sText, kSection, "sProtocol", 0).Compare("http") == 0 ? protocolHttp : protocolNtp;
  sHttpProxy = doc.GetString(sText, kSection, "sHttpProxy", 0);
  if (bUseHttpProxy && sHttpProxy.GetLength() < 3) {
    if (pPrompt != nullptr) pPrompt->MessageBox("HTTPプロキシの設定値が無効です。", MB_OK);
    bUseHttpProxy = 0;
  }
  bBroadcastRecv = doc.GetInt(kSection, "bBroadcastRecv", 0, bBroadcastRecv);
  nBroadcastRecvPortNo =
      static_cast<WORD>(doc.GetInt(kSection, "nBroadcastRecvPortNo", 0, nBroadcastRecvPortNo) & 0xFFFF);
  sServerListUrl = doc.GetString(sText, kSection, kServerListUrlKey, 0);
  for (const AddressKey& key : kAddressKeys) this->*key.pMember = doc.GetString(sText, kSection, key.pszKey, 0);

  LoadServerList(FALSE);
  CServerList* pList = GetServerList();
  if (nSelectServerNo < 0 || nSelectServerNo >= pList->GetCount()) nSelectServerNo = 0;
  pList->SetSelection(nSelectServerNo);
  return 1;
}

namespace {

BOOL SetNumber(CCSVSection& doc, const char* pszKey, int nValue) {
  CCharString sValue;
  sValue.Format("%d", nValue);
  return doc.SetValueV(CClientConfig::kSection, pszKey, 1, static_cast<const char*>(sValue));
}

}  // namespace

BOOL CClientConfig::SaveConfig(const char* pszConfigPath, const char* pszListPath) {
  ReadPanel();
  CCSVSection doc;
  CCharString sDefaultPath = sDataFolder + kConfigFile;
  doc.Load(sDefaultPath);

  SetNumber(doc, "nCheckSpan", nCheckSpan);
  SetNumber(doc, "nTimeout", nTimeout);
  SetNumber(doc, "nAllowance", nAllowance);
  int nSelected = GetServerList()->GetSelection();
  if (nSelected >= 0) SetNumber(doc, "nSelectServerNo", nSelected);
  SetNumber(doc, "bAutoExec", bAutoExec);
  SetNumber(doc, "bSaveLog", bSaveLog);
  SetNumber(doc, "bTackTray", bTackTray);
  SetNumber(doc, "bRotateServer", bRotateServer);
  bFirstExec = 0;
  SetNumber(doc, "bFirstExec", bFirstExec);
  SetNumber(doc, "bUseHttpProxy", bUseHttpProxy);
  doc.SetValueV(kSection, "sProtocol", 1, sProtocol == protocolHttp ? "http" : "ntp");
  doc.SetValueV(kSection, "sHttpProxy", 1, static_cast<const char*>(sHttpProxy));
  SetNumber(doc, "bBroadcastRecv", bBroadcastRecv);
  SetNumber(doc, "nBroadcastRecvPortNo", nBroadcastRecvPortNo);
  // An address override read from a copy beside the program must not be lost
  // when the first save goes to the data folder.
  if (!sServerListUrl.IsEmpty()) {
    doc.SetValueV(kSection, kServerListUrlKey, 1, static_cast<const char*>(sServerListUrl));
  }
  for (const AddressKey& key : kAddressKeys) {
    const CCharString& sValue = this->*key.pMember;
    if (!sValue.IsEmpty()) doc.SetValueV(kSection, key.pszKey, 1, static_cast<const char*>(sValue));
  }
  doc.Save(pszConfigPath != nullptr ? CCharString(pszConfigPath) : sDefaultPath);

  WriteServerList(pszListPath != nullptr ? CCharString(pszListPath) : GetServerListPath("_server.txt"));
  return 1;
}
