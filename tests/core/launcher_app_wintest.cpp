// actualizador.ini is read beside the executable, so those cases run in a copy of this test
// binary in a scratch folder, started as a child process. The line rules are tested natively.
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

// What a new LauncherApp makes of actualizador.ini and version.txt ("updateUrl|localVersion"), and
// what it logs; the garbage must neither stop it nor be logged.
TEST(LocalFiles, SettingsFileAndVersionAsStartUpReadsThem) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  const std::string longVersion(100000, 'v');
  const struct {
    const char* what;
    std::string ini, version;  // "-": no such file
    std::string result;
    std::vector<std::string> log;
  } cases[] = {
      {"no files: the default site", "-", "-", "https://actualizaciones.vandrel.net|0.0.0",
       {"Sin actualizador.ini, uso la URL por defecto: https://actualizaciones.vandrel.net"}},
      {"every url= line is applied and logged, the last wins, plain http is warned about",
       "url=http://plain.example/\r\n# url=https://comment.example\r\nurl=https://b.example\r\n", "1.2.3\r\n",
       "https://b.example|1.2.3",
       {"URL del servidor de actualizaciones: http://plain.example",
        "AVISO: la URL no es HTTPS. El contenido viaja sin cifrar.",
        "URL del servidor de actualizaciones: https://b.example"}},
      {"garbage", garbage, longVersion + "\n2.0", "https://actualizaciones.vandrel.net|" + longVersion, {}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    ASSERT_FALSE(CopyTestExecutable(dir).empty());
    if (c.ini != "-") {
      ASSERT_TRUE(WriteFileBytes(dir / "actualizador.ini", c.ini));
    }
    if (c.version != "-") {
      ASSERT_TRUE(WriteFileBytes(dir / "version.txt", c.version));
    }
    ASSERT_EQ(RunChildTests(dir / "launcher.exe", "LauncherAppChild.*", "VANDREL_APP_CHILD", "1", dir.path()), 0);
    EXPECT_EQ(ReadFileBytes(dir / "result.txt"), c.result) << c.what;
    EXPECT_EQ(LogMessages(dir / "launcher_log.txt"), c.log) << c.what;
  }
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
  } const cases[] = {{"1.2.3 \r\n4.5", "1.2.3 "}, {"", ""}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes(dir / "version.txt", c.file));
    app.localVersion = "before";
    app.LoadLocalVersion();
    EXPECT_EQ(app.localVersion, c.version) << c.file;
  }
  DeleteFileA("version.txt");
  app.localVersion = "kept";
  app.LoadLocalVersion();
  EXPECT_EQ(app.localVersion, "kept") << "a missing version.txt keeps the version";

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

}  // namespace
