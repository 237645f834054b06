// actualizador.ini is read beside the executable, so those cases run in a copy of this test
// binary in a scratch folder, started as a child process.
#include "core/launcher_app.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/module_path_win.h"
#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

TEST(LauncherAppChild, Construct) {
  if (std::getenv("VANDREL_APP_CHILD") == nullptr) GTEST_SKIP() << "only runs as a child of LocalFiles tests";
  LauncherApp app(nullptr);
  app.LoadLocalVersion();
  ASSERT_TRUE(WriteFileBytes("result.txt", app.updateUrl + "|" + app.localVersion));
}

class LocalFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(CopyTestExecutable(dir).empty()); }

  // Constructs a LauncherApp in the copy; returns "updateUrl|localVersion" and fills the log messages.
  std::string Construct() {
    DeleteFileA((dir / "launcher_log.txt").c_str());
    DeleteFileA((dir / "result.txt").c_str());
    EXPECT_EQ(RunChildTests(dir / "launcher.exe", "LauncherAppChild.*", "VANDREL_APP_CHILD", "1", dir.path()), 0);
    messages = LogMessages(dir / "launcher_log.txt");
    return ReadFileBytes(dir / "result.txt");
  }

  ScratchDir dir;
  std::vector<std::string> messages;
};

TEST_F(LocalFilesTest, SettingsFileLineRules) {
  EXPECT_EQ(Construct(), std::string(kDefaultUpdateUrl) + "|0.0.0");
  EXPECT_EQ(messages, std::vector<std::string>{std::string("Sin actualizador.ini, uso la URL por defecto: ") + kDefaultUpdateUrl});

  ASSERT_TRUE(WriteFileBytes(dir / "actualizador.ini",
                             "# url=https://comment.example\r\n  url=https://a.example///\r\nURL=https://upper.example\r\n"
                             "url =https://blank.example\r\nurl=/\r\n; url=x\r\n"));
  EXPECT_EQ(Construct(), "https://a.example|0.0.0");
  EXPECT_EQ(messages, std::vector<std::string>{"URL del servidor de actualizaciones: https://a.example"});

  // Every valid line is applied and logged; the last wins. Plain http is taken with a warning.
  ASSERT_TRUE(WriteFileBytes(dir / "actualizador.ini", "url=http://plain.example/\nurl=https://b.example\n"));
  EXPECT_EQ(Construct(), "https://b.example|0.0.0");
  EXPECT_EQ(messages, (std::vector<std::string>{"URL del servidor de actualizaciones: http://plain.example",
                                                "AVISO: la URL no es HTTPS. El contenido viaja sin cifrar.",
                                                "URL del servidor de actualizaciones: https://b.example"}));
}

TEST_F(LocalFilesTest, GarbageFilesNeverStopTheLauncher) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  ASSERT_TRUE(WriteFileBytes(dir / "actualizador.ini", garbage));
  ASSERT_TRUE(WriteFileBytes(dir / "version.txt", std::string(100000, 'v') + "\n2.0"));
  const std::string result = Construct();
  EXPECT_EQ(result, std::string(kDefaultUpdateUrl) + "|" + std::string(100000, 'v'));
  EXPECT_TRUE(messages.empty()) << "a file without a usable url= line logs nothing";
}

TEST(LocalVersion, FirstLineAsItStands) {
  ScratchDir dir;
  char previous[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  LauncherApp app(nullptr);
  struct Case {
    const char* file;
    const char* version;
  } const cases[] = {{"1.2.3\r\n", "1.2.3"}, {"1.2.3 \r\n4.5", "1.2.3 "}, {"", ""}, {"7", "7"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes(dir / "version.txt", c.file));
    app.localVersion = "before";
    app.LoadLocalVersion();
    EXPECT_EQ(app.localVersion, c.version) << c.file;
  }
  DeleteFileA("version.txt");
  app.localVersion = "kept";
  app.LoadLocalVersion();
  EXPECT_EQ(app.localVersion, "kept");

  app.SaveLocalVersion("3.1.4");
  EXPECT_EQ(ReadFileBytes(dir / "version.txt"), "3.1.4") << "no line ending";
  EXPECT_EQ(app.localVersion, "3.1.4");

  // A version.txt that cannot be written leaves the version as it was, and says so.
  DeleteFileA("version.txt");
  ASSERT_TRUE(CreateDirectoryA("version.txt", nullptr));
  const std::string log = LauncherDirectory() + "launcher_log.txt";
  DeleteFileA(log.c_str());
  EXPECT_FALSE(app.SaveLocalVersion("9.9"));
  EXPECT_EQ(app.localVersion, "3.1.4");
  const std::vector<std::string> messages = LogMessages(log);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("No se pudo escribir version.txt con la version 9.9 (error ", 0), 0u) << messages[0];
  RemoveDirectoryA("version.txt");
  SetCurrentDirectoryA(previous);
}

TEST(CreateDirectories, NestedAndExisting) {
  ScratchDir dir;
  CreateDirectories(dir / "a\\b\\c");
  CreateDirectories(dir / "a\\b\\c");  // already there: nothing to report
  const DWORD attributes = GetFileAttributesA((dir / "a\\b\\c").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(IsRunningLauncher, OnlyTheFileNameCounts) {
  const std::string own = RunningLauncherName();
  std::string upper = own;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(IsRunningLauncher(own));
  EXPECT_TRUE(IsRunningLauncher("sub/dir\\" + upper));
  EXPECT_FALSE(IsRunningLauncher(own + ".bak"));
  EXPECT_FALSE(IsRunningLauncher("launcher-data/other.exe"));
}

}  // namespace
