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
    CFakeSystemApi fake;
    fake.bFakeShellFolders = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_STREQ("C:\\Shell\\26", path);
    EXPECT_EQ(Texts{"shell32 SHGetSpecialFolderPathA 26 1"}, fake.folderCalls);
    EXPECT_EQ(Texts{"shell32.dll"}, fake.loadedShellLibraries);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
  {
    CFakeSystemApi fake;  // the first fails: the second, with the create flag
    fake.bFakeShellFolders = TRUE;
    fake.bFailSpecialFolderPath = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 35, TRUE));
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 35, FALSE));
    EXPECT_STREQ("C:\\Shell\\35", path);
    EXPECT_EQ((Texts{"shell32 SHGetSpecialFolderPathA 35 1", "shell32 SHGetFolderPathA 32803 1",
                     "shell32 SHGetSpecialFolderPathA 35 0", "shell32 SHGetFolderPathA 35 1"}),
              fake.folderCalls);
  }
  {
    CFakeSystemApi fake;  // shell32 without them: shfolder.dll
    fake.bFakeShellFolders = TRUE;
    fake.bShell32HasSpecialFolderPath = fake.bShell32HasFolderPath = FALSE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_EQ(Texts{"shfolder SHGetFolderPathA 32794 1"}, fake.folderCalls);
    fake.bFailFolderPath = TRUE;
    EXPECT_EQ(0, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_STREQ("", path);
    EXPECT_EQ((Texts{"shell32.dll", "shfolder.dll", "shell32.dll", "shfolder.dll"}),
              fake.loadedShellLibraries);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
  EXPECT_EQ(0, GetSpecialFolder(nullptr, nullptr, 26, FALSE));
  // The real shell of the test system names its folder without a backslash.
  ASSERT_EQ(1, GetSpecialFolder(nullptr, path, 26, FALSE));
  std::string real = path;
  ASSERT_FALSE(real.empty());
  EXPECT_NE('\\', real.back());
}

TEST(FolderPath, LastSeparatorOfPath) {
  EXPECT_EQ("C:\\dir\\", std::string(GetFolderOfPath("C:\\dir\\name/x")));
  EXPECT_EQ("a/b/", std::string(GetFolderOfPath("a/b/c")));
  EXPECT_EQ("", std::string(GetFolderOfPath("name.exe")));
  EXPECT_EQ("", std::string(GetFolderOfPath(nullptr)));
  EXPECT_EQ("C:\\", std::string(GetFolderOfPath("C:\\表")));  // 95 5C is one character
  EXPECT_EQ("C:\\ソ\\", std::string(GetFolderOfPath("C:\\ソ\\x.exe")));
}

TEST(FolderPath, CreatesLevelByLevel) {
  CTempFolder temp;
  std::string deep = temp.Path() + "a\\b\\c";
  EXPECT_EQ(1, CreateFolderPath(deep.c_str(), 0));
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_EQ(1, CreateFolderPath(deep.c_str(), 0));  // already there
  EXPECT_EQ(1, CreateFolderPath((temp.Path() + "a\\d\\").c_str(), 0));
  EXPECT_TRUE(IsFolder(temp.Path() + "a\\d"));
  std::string doubled = temp.Path() + "e\\\\f";
  EXPECT_EQ(1, CreateFolderPath(doubled.c_str(), 0));
  EXPECT_TRUE(IsFolder(temp.Path() + "e\\f"));

  // Double-byte names whose trail bytes are backslashes: one level each.
  std::string sjis = temp.Path() + "表\\ソ";
  EXPECT_EQ(1, CreateFolderPath(sjis.c_str(), 0));
  EXPECT_TRUE(IsFolder(sjis));
  EXPECT_TRUE(IsFolder(temp.Path() + "表"));

  // A plain file in the way stops the creation.
  temp.Put("file", "x");
  EXPECT_EQ(0, CreateFolderPath((temp.Path() + "file").c_str(), 0));
  EXPECT_EQ(0, CreateFolderPath((temp.Path() + "file\\sub\\deeper").c_str(), 0));
  EXPECT_FALSE(IsFolder(temp.Path() + "file\\sub"));
  EXPECT_EQ(0, CreateFolderPath("", 0));
  EXPECT_EQ(0, CreateFolderPath(nullptr, 0));

  // Separators are looked for from the start offset on; out-of-range offsets
  // leave only the whole path to create.
  std::string fromOffset = temp.Path() + "g\\h";
  EXPECT_EQ(1, CreateFolderPath(fromOffset.c_str(), static_cast<int>(temp.Path().size())));
  EXPECT_EQ(1, CreateFolderPath((temp.Path() + "i").c_str(), 100000));
  EXPECT_EQ(0, CreateFolderPath((temp.Path() + "j\\k").c_str(), 100000));
  EXPECT_EQ(1, CreateFolderPath((temp.Path() + "l\\m").c_str(), -5));
}

TEST(AppFolders, CandidatesFromTheShellOrTheModuleFolder) {
  CTempFolder temp;
  CFakeSystemApi fake;
  fake.sModulePath = temp.Path() + "prog\\Vantro.exe";
  fake.bFakeShellFolders = TRUE;
  fake.sSpecialFolder = temp.Path() + "shell";
  EXPECT_EQ(temp.Path() + "shell\\26\\RAVO\\Brassel\\", std::string(GetAppDataFolder(FALSE)));
  EXPECT_EQ(temp.Path() + "shell\\35\\RAVO\\Brassel\\", std::string(GetAppDataFolder(TRUE)));

  fake.bMissingShellFolders = TRUE;
  CAppFolders folders;
  EXPECT_TRUE(folders.InitFolders());
  EXPECT_EQ(temp.Path() + "prog\\", std::string(folders.sModuleFolder));
  EXPECT_EQ(folders.sModuleFolder, folders.sUserDataFolder);
  EXPECT_EQ(folders.sModuleFolder, folders.sAllUsersDataFolder);
}

TEST(AppFolders, DataFolderChoiceAndCreation) {
  struct Case {
    DWORD type;
    BOOL bService;
    const char* expected;
  } cases[] = {
      {3, FALSE, "shell\\26\\RAVO\\Brassel\\"},  // limited: the user's
      {3, TRUE, "shell\\35\\RAVO\\Brassel\\"},   // limited, but a service
      {2, FALSE, "shell\\35\\RAVO\\Brassel\\"},  // full rights
  };
  for (const Case& c : cases) {
    CTempFolder temp;
    CFakeSystemApi fake;
    fake.SetVista(c.type);
    fake.sModulePath = temp.Path() + "Vantro.exe";
    fake.bFakeShellFolders = TRUE;
    fake.sSpecialFolder = temp.Path() + "shell";
    CAppFolders folders;
    EXPECT_TRUE(folders.ChooseDataFolder(c.bService));
    EXPECT_EQ(temp.Path() + c.expected, std::string(folders.sDataFolder));
    EXPECT_TRUE(IsFolder(std::string(folders.sDataFolder)));
    EXPECT_EQ(temp.Path(), std::string(folders.sModuleFolder));
  }
}
