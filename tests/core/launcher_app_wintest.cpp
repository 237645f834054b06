// actualizador.ini is read beside the executable, so each case runs in a copy of this test binary in a
// scratch folder, started as a child process. The line rules are tested natively.
#include "core/launcher_app.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/launcher_copy_win.h"
#include "support/scratch_dir_win.h"

namespace {

// Start-up's reading of the two files, then the save of version 3.1.4: "updateUrl|localVersion|after the save".
TEST(LauncherAppChild, Construct) {
  if (std::getenv("VANDREL_APP_CHILD") == nullptr) GTEST_SKIP() << "only runs as a child of LocalFiles tests";
  LauncherApp app(nullptr);
  app.LoadLocalVersion();
  std::string result = app.updateUrl + "|" + app.localVersion + "|";
  result += (app.SaveLocalVersion("3.1.4") ? "saved " : "not saved ") + app.localVersion;
  ASSERT_TRUE(WriteFileBytes("result.txt", result));
}

TEST(LocalFiles, SettingsFileAndVersionAsStartUpReadsThem) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  const std::string longVersion(100000, 'v');
  const struct {
    const char* what;
    std::string ini, version;  // "-": no such file; "/": a folder of that name
    std::string result;
    std::vector<std::string> log;
  } cases[] = {
      {"no files: the default site", "-", "-", "https://actualizaciones.vandrel.net|0.0.0|saved 3.1.4",
       {"Sin actualizador.ini, uso la URL por defecto: https://actualizaciones.vandrel.net"}},
      {"every url= line is applied and logged, the last wins, plain http is warned about; the version's first line "
       "is taken as it stands",
       "url=http://plain.example/\r\n# url=https://comment.example\r\nurl=https://b.example\r\n", "1.2.3 \r\n4.5",
       "https://b.example|1.2.3 |saved 3.1.4",
       {"URL del servidor de actualizaciones: http://plain.example",
        "AVISO: la URL no es HTTPS. El contenido viaja sin cifrar.",
        "URL del servidor de actualizaciones: https://b.example"}},
      {"garbage is neither used nor logged", garbage, longVersion + "\n2.0",
       "https://actualizaciones.vandrel.net|" + longVersion + "|saved 3.1.4", {}},
      {"a version.txt that cannot be written keeps the version and says so", "", "/",
       "https://actualizaciones.vandrel.net|0.0.0|not saved 0.0.0",
       {"No se pudo escribir version.txt con la version 3.1.4 (error 5)"}},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    ASSERT_FALSE(CopyTestExecutable(dir).empty());
    ASSERT_TRUE(PrepareEntry(dir / "actualizador.ini", c.ini) && PrepareEntry(dir / "version.txt", c.version));
    ASSERT_EQ(RunChildTests(dir / "launcher.exe", "LauncherAppChild.*", "VANDREL_APP_CHILD", "1", dir.path()), 0);
    EXPECT_EQ(ReadFileBytes(dir / "result.txt"), c.result) << c.what;
    EXPECT_EQ(LogMessages(dir / "launcher_log.txt"), c.log) << c.what;
    EXPECT_EQ(ReadFileBytes(dir / "version.txt"), c.version == "/" ? "" : "3.1.4") << "the bare version, no line end";
  }
}

}  // namespace
