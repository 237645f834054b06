#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/first_run_win.h"
#include "settings/client_settings.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

const char kChildVariable[] = "VANDREL_FIRST_RUN_CHILD";
const char kMarkerText[] =
    "El acceso directo del escritorio ya se intento una vez.\r\n"
    "Borra este fichero si quieres que el launcher vuelva a crearlo.\r\n";

// Run by FirstRunTest in a copy of this executable standing in for launcher.exe, with its folder as
// the current directory: the three tasks, in start-up's order.
TEST(FirstRunChild, Run) {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "only runs as a child of FirstRunTest";
  EnsureLocaleFile();
  EnsureClientSettingsFile();
  EnsureDesktopShortcut();
}

struct Shortcut {
  std::string target;
  std::string workingDirectory;
  std::string arguments;
  std::string description;
  std::string icon;
  int iconIndex = -1;
};

// Reads a .lnk back through the shell's own link object.
bool ReadShortcut(const std::string& path, Shortcut& shortcut) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring widePath(path.begin(), path.end());  // scratch and desktop paths are ASCII here
      if (SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
        char text[MAX_PATH + 1] = {};
        ok = SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
        shortcut.target = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        shortcut.workingDirectory = text;
        text[0] = '\0';
        link->GetArguments(text, MAX_PATH);
        shortcut.arguments = text;
        text[0] = '\0';
        link->GetDescription(text, MAX_PATH);
        shortcut.description = text;
        text[0] = '\0';
        link->GetIconLocation(text, MAX_PATH, &shortcut.iconIndex);
        shortcut.icon = text;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

// Each test gets a fresh installation with a copy of this executable as its launcher. The desktop is
// the test prefix's real one: a Vandrel.lnk found there is put aside and put back afterwards.
class FirstRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char desktop[MAX_PATH + 1] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
    link_ = std::string(desktop) + "\\Vandrel.lnk";
    hadLink_ = FileExists(link_);
    if (hadLink_) {
      savedLink_ = ReadFileBytes(link_);
      ASSERT_TRUE(DeleteFileA(link_.c_str()));
    }
    launcher_ = CopyTestExecutable(dir_);
    ASSERT_FALSE(launcher_.empty());
  }
  void TearDown() override {
    DeleteFileA(link_.c_str());
    if (hadLink_) WriteFileBytes(link_, savedLink_);
  }

  void StartLauncher() {
    ASSERT_EQ(RunChildTests(launcher_, "FirstRunChild.*", kChildVariable, "1", dir_.path()), 0);
  }
  std::vector<std::string> Log() const { return LogMessages(dir_ / "launcher_log.txt"); }

  ScratchDir dir_;
  std::string launcher_;
  std::string link_;
  bool hadLink_ = false;
  std::string savedLink_;
};

TEST_F(FirstRunTest, FreshInstallationOnceAndNeverAgain) {
  StartLauncher();

  // The defaults for this screen, as the client settings' own save writes them.
  const ClientSettings defaults = FirstRunClientSettings(GetSystemMetrics(SM_CYSCREEN));
  ScratchDir reference;
  ASSERT_TRUE(SaveClientSettings(reference / "qarlok.cfg", defaults));
  EXPECT_EQ(ReadFileBytes(dir_ / "qarlok.cfg"), ReadFileBytes(reference / "qarlok.cfg"));
  EXPECT_FALSE(FileExists(dir_ / "qarlok.cfg.tmp"));
  EXPECT_EQ(ReadFileBytes(dir_ / "locale.cfg"), "10002 1252 es\r\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "acceso-directo.hecho"), kMarkerText);
  const std::string size = std::to_string(defaults.width) + "x" + std::to_string(defaults.height);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "locale.cfg no existia: creado en espanol",
                       "qarlok.cfg no existia: creado (" + size + " en ventana, musica 30%, voces 3/5)",
                       "Acceso directo creado en el escritorio",
                   }));

  Shortcut shortcut;
  ASSERT_TRUE(ReadShortcut(link_, shortcut));
  std::string folder = dir_.path();
  folder.pop_back();
  EXPECT_EQ(shortcut.target, launcher_);
  EXPECT_EQ(shortcut.workingDirectory, folder);
  EXPECT_EQ(shortcut.arguments, "");
  EXPECT_EQ(shortcut.description, "Vandrel - Qarlok");
  EXPECT_EQ(shortcut.icon, launcher_);
  EXPECT_EQ(shortcut.iconIndex, 0);

  // The player deletes the shortcut; the next start leaves everything as it is and logs nothing.
  ASSERT_TRUE(DeleteFileA(link_.c_str()));
  const std::vector<std::string> files = {dir_ / "locale.cfg", dir_ / "qarlok.cfg", dir_ / "acceso-directo.hecho"};
  std::vector<FILETIME> written;
  for (const std::string& file : files) written.push_back(LastWrite(file));
  StartLauncher();
  EXPECT_FALSE(FileExists(link_)) << "a deleted shortcut comes back only with the marker gone";
  EXPECT_EQ(Log().size(), 3u);
  for (size_t i = 0; i < files.size(); ++i) EXPECT_TRUE(SameTime(LastWrite(files[i]), written[i])) << files[i];

  // Deleting the marker asks for the shortcut again.
  ASSERT_TRUE(DeleteFileA((dir_ / "acceso-directo.hecho").c_str()));
  StartLauncher();
  EXPECT_TRUE(ReadShortcut(link_, shortcut));
  EXPECT_EQ(ReadFileBytes(dir_ / "acceso-directo.hecho"), kMarkerText);
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3], "Acceso directo creado en el escritorio");
}

// What the player or the client already has is never replaced, an empty settings file and a
// shortcut that is not the launcher's included; the marker is still written.
TEST_F(FirstRunTest, ExistingFilesAndShortcutAreKept) {
  ASSERT_TRUE(WriteFileBytes(dir_ / "qarlok.cfg", ""));
  ASSERT_TRUE(WriteFileBytes(dir_ / "locale.cfg", "10022 1250 pl\r\n"));
  ASSERT_TRUE(WriteFileBytes(link_, "a shortcut to something else"));

  StartLauncher();

  EXPECT_EQ(ReadFileBytes(dir_ / "qarlok.cfg"), "");
  EXPECT_EQ(ReadFileBytes(dir_ / "locale.cfg"), "10022 1250 pl\r\n");
  EXPECT_EQ(ReadFileBytes(link_), "a shortcut to something else");
  EXPECT_EQ(ReadFileBytes(dir_ / "acceso-directo.hecho"), kMarkerText);
  EXPECT_EQ(Log(), std::vector<std::string>{});
}

// A settings file that cannot be written is reported and tried again at the next start.
TEST_F(FirstRunTest, SettingsFileThatCannotBeSavedIsRetried) {
  ASSERT_TRUE(WriteFileBytes(dir_ / "locale.cfg", "10002 1252 es\r\n"));
  ASSERT_TRUE(WriteFileBytes(dir_ / "acceso-directo.hecho", ""));
  ASSERT_TRUE(CreateDirectoryA((dir_ / "qarlok.cfg.tmp").c_str(), nullptr));

  StartLauncher();
  EXPECT_FALSE(FileExists(dir_ / "qarlok.cfg"));
  std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 1u);
  unsigned long error = 0;
  EXPECT_EQ(std::sscanf(log[0].c_str(), "qarlok.cfg no existia y NO se ha podido crear (error %lu)", &error), 1) << log[0];
  EXPECT_NE(error, 0u);

  ASSERT_TRUE(RemoveDirectoryA((dir_ / "qarlok.cfg.tmp").c_str()));
  StartLauncher();
  EXPECT_TRUE(FileExists(dir_ / "qarlok.cfg"));
  log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].rfind("qarlok.cfg no existia: creado (", 0), 0u) << log[1];
}

}  // namespace
