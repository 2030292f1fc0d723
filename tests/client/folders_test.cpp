// Special folders, folder paths and the choice of the client's data folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/app_folders.h"
#include "client/sys/folder_path.h"
#include "client/sys/special_folder.h"
#include "client/temp_folder.h"
#include "support/fake_system_api.h"

namespace {
using Texts = std::vector<std::string>;

BOOL IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TEST(SpecialFolder, LookUpsInOrder) {
  char path[MAX_PATH];
  {
    CFakeSystemApi fake;  // the first look-up answers; the second, with the create flag
    fake.bFakeShellFolders = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_STREQ("C:\\Shell\\26", path);
    fake.bFailSpecialFolderPath = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 35, FALSE));
    EXPECT_EQ((Texts{"shell32 SHGetSpecialFolderPathA 26 1", "shell32 SHGetSpecialFolderPathA 35 0",
                     "shell32 SHGetFolderPathA 35 1"}),
              fake.folderCalls);
  }
  CFakeSystemApi fake;  // shell32 without them: shfolder.dll
  fake.bFakeShellFolders = TRUE;
  fake.bShell32HasSpecialFolderPath = fake.bShell32HasFolderPath = FALSE;
  EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
  EXPECT_EQ(Texts{"shfolder SHGetFolderPathA 32794 1"}, fake.folderCalls);
  fake.bFailFolderPath = TRUE;
  EXPECT_EQ(0, GetSpecialFolder(nullptr, path, 26, TRUE));
  EXPECT_STREQ("", path);
  EXPECT_EQ((Texts{"shell32.dll", "shfolder.dll", "shell32.dll", "shfolder.dll"}), fake.loadedShellLibraries);
  EXPECT_EQ(0, fake.nLoadedLibraries);
}

TEST(FolderPath, LastSeparatorAndLevelByLevelCreation) {
  EXPECT_EQ("C:\\dir\\", std::string(GetFolderOfPath("C:\\dir\\name/x")));
  EXPECT_EQ("a/b/", std::string(GetFolderOfPath("a/b/c")));
  EXPECT_EQ("", std::string(GetFolderOfPath("name.exe")));
  EXPECT_EQ("C:\\", std::string(GetFolderOfPath("C:\\表")));  // 95 5C is one character
  EXPECT_EQ("C:\\ソ\\", std::string(GetFolderOfPath("C:\\ソ\\x.exe")));
  CTempFolder temp;
  const std::string& t = temp.Path();
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));  // already there
  EXPECT_EQ(1, CreateFolderPath((t + "e\\\\f\\").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "表\\ソ").c_str(), 0));  // trail bytes 5C: two levels
  EXPECT_TRUE(IsFolder(t + "a\\b\\c") && IsFolder(t + "e\\f") && IsFolder(t + "表\\ソ"));
  temp.Put("file", "x");  // a plain file in the way
  EXPECT_EQ(0, CreateFolderPath((t + "file\\sub").c_str(), 0));
  EXPECT_EQ(0, CreateFolderPath("", 0));
  // Separators only from the start offset on; beyond the end only the whole path.
  EXPECT_EQ(1, CreateFolderPath((t + "g\\h").c_str(), static_cast<int>(t.size())));
  EXPECT_EQ(0, CreateFolderPath((t + "j\\k").c_str(), 100000));
  EXPECT_EQ(1, CreateFolderPath((t + "l\\m").c_str(), -5));
}

TEST(AppFolders, TheDataFolderFollowsRightsAndServiceMode) {
  const char* cases[][2] = {{"3", "shell\\26\\RAVO\\Brassel\\"},   // limited: the user's
                            {"3s", "shell\\35\\RAVO\\Brassel\\"},  // limited, but a service
                            {"2", "shell\\35\\RAVO\\Brassel\\"}};  // full rights
  for (auto& c : cases) {
    CTempFolder temp;
    CFakeSystemApi fake;
    fake.SetVista(c[0][0] - '0');
    fake.sModulePath = temp.Path() + "Vantro.exe";
    fake.bFakeShellFolders = TRUE;
    fake.sSpecialFolder = temp.Path() + "shell";
    CAppFolders folders;
    EXPECT_TRUE(folders.ChooseDataFolder(c[0][1] == 's'));
    EXPECT_EQ(temp.Path() + c[1], std::string(folders.sDataFolder));
    EXPECT_TRUE(IsFolder(std::string(folders.sDataFolder)));
    EXPECT_EQ(temp.Path(), std::string(folders.sModuleFolder));
  }
  CFakeSystemApi fake;  // no special folders at all: the module folder
  fake.bMissingShellFolders = TRUE;
  CAppFolders folders;
  EXPECT_TRUE(folders.InitFolders());
  EXPECT_EQ("C:\\suite\\", std::string(folders.sUserDataFolder));
  EXPECT_EQ("C:\\suite\\", std::string(folders.sAllUsersDataFolder));
}
