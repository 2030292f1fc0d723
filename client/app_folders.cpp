#include "client/app_folders.h"

#include "client/sys/folder_path.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/special_folder.h"
#include "client/sys/system_api.h"

namespace {
const int kAppData = 26;        // CSIDL_APPDATA
const int kCommonAppData = 35;  // CSIDL_COMMON_APPDATA
}  // namespace

CCharString GetAppDataFolder(BOOL bAllUsers) {
  char path[MAX_PATH];
  if (GetSpecialFolder(nullptr, path, bAllUsers ? kCommonAppData : kAppData, TRUE) && path[0]) {
    CCharString folder(path);
    folder += "\\RAVO\\Brassel\\";
    return folder;
  }
  DWORD n = GetSystemApi()->GetModuleFileName(path, MAX_PATH);
  path[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  return GetFolderOfPath(path);
}

BOOL CAppFolders::InitFolders() {
  char folder[MAX_PATH];
  GetModuleFolder(folder);
  sModuleFolder = folder;
  sUserDataFolder = GetAppDataFolder(FALSE);
  sAllUsersDataFolder = GetAppDataFolder(TRUE);
  return TRUE;
}

BOOL CAppFolders::ChooseDataFolder(BOOL bServiceMode) {
  InitFolders();
  sDataFolder = IsFullRightsProcess() || bServiceMode ? sAllUsersDataFolder : sUserDataFolder;
  return CreateFolderPath(sDataFolder, 0);
}
