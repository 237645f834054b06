#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/first_run_win.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

const char kChildVariable[] = "VANDREL_FIRST_RUN_CHILD";

// Run by FirstRunTest in a copy of this executable standing in for launcher.exe, with its folder as
// the current directory: the three tasks, in start-up's order.
TEST(FirstRunChild, Run) {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "only runs as a child of FirstRunTest";
  EnsureLocaleFile();
  EnsureClientSettingsFile();
  EnsureDesktopShortcut();
}

// Reads a .lnk back through the shell's own link object: "target|folder|arguments|description|icon,index".
std::string ReadShortcut(const std::string& path) {
  std::string out;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  const std::wstring widePath(path.begin(), path.end());  // scratch and desktop paths are ASCII here
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(widePath.c_str(), STGM_READ))) {
    char text[5][MAX_PATH + 1] = {};
    int icon = -1;
    link->GetPath(text[0], MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(text[1], MAX_PATH);
    link->GetArguments(text[2], MAX_PATH);
    link->GetDescription(text[3], MAX_PATH);
    link->GetIconLocation(text[4], MAX_PATH, &icon);
    out = std::string(text[0]) + "|" + text[1] + "|" + text[2] + "|" + text[3] + "|" + text[4] + "," + std::to_string(icon);
  }
  if (file) file->Release();
  if (link) link->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return out;
}

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

// locale.cfg's content, the marker's text and that a second start changes nothing are checked end to end.
TEST_F(FirstRunTest, FreshInstallationThenTheShortcutOnlyWithoutTheMarker) {
  StartLauncher();
  const bool lowScreen = GetSystemMetrics(SM_CYSCREEN) < 900;
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "locale.cfg no existia: creado en espanol",
                       std::string("qarlok.cfg no existia: creado (") + (lowScreen ? "800x600" : "1024x768") +
                           " en ventana, musica 30%, voces 3/5)",
                       "Acceso directo creado en el escritorio",
                   }));
  const std::string size = lowScreen ? "WIDTH\t\t\t\t\t800\r\nHEIGHT\t\t\t\t\t600\r\n" : "WIDTH\t\t\t\t\t1024\r\nHEIGHT\t\t\t\t\t768\r\n";
  EXPECT_EQ(ReadFileBytes(dir_ / "qarlok.cfg").substr(0, size.size()), size) << "the first-run size for this screen";
  EXPECT_FALSE(FileExists(dir_ / "qarlok.cfg.tmp"));
  std::string folder = dir_.path();
  folder.pop_back();
  const std::string expected = launcher_ + "|" + folder + "||Vandrel - Qarlok|" + launcher_ + ",0";
  EXPECT_EQ(ReadShortcut(link_), expected) << "target|working folder|arguments|description|icon";

  // The player deletes the shortcut: it comes back only when the marker is deleted too.
  ASSERT_TRUE(DeleteFileA(link_.c_str()));
  StartLauncher();
  EXPECT_FALSE(FileExists(link_)) << "a deleted shortcut comes back only with the marker gone";
  ASSERT_TRUE(DeleteFileA((dir_ / "acceso-directo.hecho").c_str()));
  StartLauncher();
  EXPECT_EQ(ReadShortcut(link_), expected);
  EXPECT_TRUE(FileExists(dir_ / "acceso-directo.hecho"));
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 4u) << "the second start logs nothing";
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
  EXPECT_TRUE(FileExists(dir_ / "acceso-directo.hecho")) << "the marker is written even when no shortcut was made";
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
