#pragma once
#include <windows.h>

#include "base/char_string.h"

// The per-user (bAllUsers FALSE, CSIDL_APPDATA) or all-users
// (CSIDL_COMMON_APPDATA) application-data folder followed by "RAVO\Brassel\";
// the running program's folder when the shell cannot name that folder.
CCharString GetAppDataFolder(BOOL bAllUsers);

// The folders of the client: where the program lives and where its files are
// written. Every folder ends in a backslash, so file names are appended.
class CAppFolders {
 public:
  CAppFolders() = default;
  virtual ~CAppFolders() = default;

  // Fills the module folder and both data-folder candidates. Returns 1.
  BOOL InitFolders();
  // InitFolders, then the data folder: all users' with full rights or in
  // service mode, the user's otherwise; created when missing. Returns what
  // the creation returned (callers ignore it: later writes fail on their own).
  BOOL ChooseDataFolder(BOOL bServiceMode);

  CCharString sModuleFolder;
  CCharString sUserDataFolder;
  CCharString sAllUsersDataFolder;
  CCharString sDataFolder;
};
