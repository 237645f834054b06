#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/first_run_win.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

const char kChildVariable[] = "VANDREL_FIRST_RUN_CHILD";

// Run by FirstRun.EachTaskOnceAndNothingOfThePlayersReplaced in a copy of this executable standing in for
// launcher.exe, with its folder as the current directory: the three tasks, in start-up's order.
TEST(FirstRunChild, Run) {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "only runs as a child of FirstRun";
  EnsureLocaleFile();
  EnsureClientSettingsFile();
  EnsureDesktopShortcut();
}

// Reads a .lnk back through the shell's own link object: "target|folder|arguments|description|icon,index".
std::string ReadShortcut(const std::string& path) {
  std::string out = "no shortcut";
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(std::wstring(path.begin(), path.end()).c_str(), STGM_READ))) {  // ASCII paths here
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

// One installation started four times. The desktop is the test prefix's real one: a Vandrel.lnk found there is
// put aside and put back afterwards. locale.cfg's content and the marker's text are checked end to end.
TEST(FirstRun, EachTaskOnceAndNothingOfThePlayersReplaced) {
  char desktop[MAX_PATH + 1] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
  const std::string link = std::string(desktop) + "\\Vandrel.lnk", savedLink = ReadFileBytes(link);
  DeleteFileA(link.c_str());
  ScratchDir dir;
  const std::string launcher = CopyTestExecutable(dir), marker = dir / "acceso-directo.hecho";
  ASSERT_FALSE(launcher.empty());
  const auto start = [&](const char* what, const std::vector<std::string>& expectedLog) {
    DeleteFileA((dir / "launcher_log.txt").c_str());
    ASSERT_EQ(RunChildTests(launcher, "FirstRunChild.*", kChildVariable, "1", dir.path()), 0);
    EXPECT_EQ(LogMessages(dir / "launcher_log.txt"), expectedLog) << what;
  };
  const bool lowScreen = GetSystemMetrics(SM_CYSCREEN) < 900;
  const std::string created = std::string("qarlok.cfg no existia: creado (") + (lowScreen ? "800x600" : "1024x768") +
                              " en ventana, musica 30%, voces 3/5)";
  const std::string shortcut = launcher + "|" + dir.path().substr(0, dir.path().size() - 1) + "||Vandrel - Qarlok|" +
                               launcher + ",0";  // target|working folder|arguments|description|icon

  start("a fresh installation", {"locale.cfg no existia: creado en espanol", created,
                                 "Acceso directo creado en el escritorio"});
  EXPECT_EQ(ReadShortcut(link), shortcut);
  const std::string size = lowScreen ? "WIDTH\t\t\t\t\t800\r\nHEIGHT\t\t\t\t\t600\r\n" : "WIDTH\t\t\t\t\t1024\r\nHEIGHT\t\t\t\t\t768\r\n";
  EXPECT_EQ(ReadFileBytes(dir / "qarlok.cfg").substr(0, size.size()), size) << "the first-run size for this screen";

  ASSERT_TRUE(DeleteFileA(link.c_str()) && WriteFileBytes(dir / "qarlok.cfg", "") &&
              WriteFileBytes(dir / "locale.cfg", "10022 1250 pl\r\n"));
  start("the player's files, and a shortcut deleted while the marker is there", {});
  EXPECT_FALSE(FileExists(link)) << "a deleted shortcut comes back only with the marker gone";
  EXPECT_EQ(ReadFileBytes(dir / "qarlok.cfg") + ReadFileBytes(dir / "locale.cfg"), "10022 1250 pl\r\n");

  // A shortcut to something else is kept and the marker written; a settings file that cannot be written is
  // reported, and tried again at the next start.
  ASSERT_TRUE(DeleteFileA(marker.c_str()) && DeleteFileA((dir / "qarlok.cfg").c_str()) &&
              WriteFileBytes(link, "a shortcut to something else") && PrepareEntry(dir / "qarlok.cfg.tmp", "/"));
  start("a foreign shortcut and an unwritable qarlok.cfg", {"qarlok.cfg no existia y NO se ha podido crear (error 5)"});
  EXPECT_EQ(ReadFileBytes(link), "a shortcut to something else");
  EXPECT_TRUE(FileExists(marker)) << "the marker is written even when no shortcut was made";
  EXPECT_FALSE(FileExists(dir / "qarlok.cfg"));
  ASSERT_TRUE(RemoveDirectoryA((dir / "qarlok.cfg.tmp").c_str()) && DeleteFileA(link.c_str()) &&
              DeleteFileA(marker.c_str()));
  start("retried, and the shortcut made again with the marker gone", {created, "Acceso directo creado en el escritorio"});
  EXPECT_EQ(ReadShortcut(link), shortcut);

  DeleteFileA(link.c_str());
  if (!savedLink.empty()) WriteFileBytes(link, savedLink);
}

}  // namespace
