// The self-update runs beside the running executable, so each case runs in a copy of this test
// binary named launcher.exe in a scratch folder, started as a child process.
#include "update/self_update_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher_app.h"
#include "support/launcher_copy_win.h"
#include "support/server_test_win.h"
#include "update/messages.h"
#include "update/sha256_win.h"

namespace {

// The child: one action, its outcome written to result.txt beside it.
TEST(SelfUpdateChild, Run) {
  const char* action = std::getenv("VANDREL_SELF_UPDATE_ACTION");
  if (action == nullptr) GTEST_SKIP() << "only runs as a child of the SelfUpdate tests";
  std::string result;
  if (std::string(action) == "check") {
    LauncherApp app(RecordingWindow());
    app.updateUrl = std::getenv("VANDREL_SELF_UPDATE_URL");
    DeleteFileA("launcher_log.txt");  // only the check's own lines are of interest
    result = std::string("ready=") + (CheckLauncherUpdate(app) ? "1" : "0");
    int infos = 0;
    std::string progress = "0", web, texts;
    for (const SeenMessage& seen : SeenMessages()) {
      if (seen.message == UM_LAUNCHER_INFO) ++infos, web = seen.value;
      if (seen.message == UM_PROGRESS) progress = "1";
      if (seen.message == UM_STATUS || seen.message == UM_DETAIL) texts += seen.value + "|";
    }
    result += " info=" + std::to_string(infos) + " progress=" + progress + " web=" + web + " texts=" + texts;
  } else if (std::string(action) == "install") {
    result = std::string("installed=") + (InstalarLauncherNuevo() ? "1" : "0");
  }
  // The executable may have been moved away: write beside where it was started.
  ASSERT_TRUE(WriteFileBytes("result.txt", result));
}

const std::string kNewBuild = "a newer launcher build";
const std::string kOther = "e8e8d7dbd4de2a38e6de38c4e63b0e6a0e5ad5ca9b4d2f3e1c7b6c2a3f1c7d2b";  // no build's hash

class SelfUpdateTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_TRUE(CopyFileA(TestExecutablePath().c_str(), launcher.c_str(), FALSE));
    own = Sha256File(launcher);
  }

  // Runs one action in the copy; returns what it wrote to result.txt.
  std::string RunChild(const char* action) {
    DeleteFileA((game / "result.txt").c_str());
    SetEnvironmentVariableA("VANDREL_SELF_UPDATE_URL", SiteUrl().c_str());
    EXPECT_EQ(RunChildTests(launcher, "SelfUpdateChild.*", "VANDREL_SELF_UPDATE_ACTION", action, game.path()), 0);
    SetEnvironmentVariableA("VANDREL_SELF_UPDATE_URL", nullptr);
    return ReadFileBytes(game / "result.txt");
  }
  std::vector<std::string> Log() const { return ::LogMessages(game / "launcher_log.txt"); }

  const std::string launcher = game / "launcher.exe";
  std::string own;
};

std::string Fill(std::string text, const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values) {
    for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
  }
  return text;
}

TEST_F(SelfUpdateTest, CheckDownloadsOnlyAVerifiedNewBuild) {
  const std::string news = " (propio {own12}, servidor {new12})";
  const std::string texts = "texts=Descargando el nuevo launcher|Versi\xC3\xB3n ";
  const std::string verified = "Launcher nuevo verificado: {new}";
  struct Case {
    const char* what;
    const char* json;  // launcher.json; null: not published
    std::string result;
    std::vector<std::string> log;
    bool placed;  // the new build waits as launcher.exe.nuevo
  } const cases[] = {
      {"own hash: up to date, the links still arrive",
       R"({"version": "2.1", "hash": "{own}", "web": "https://vandrel.example"})",
       "ready=0 info=1 progress=0 web=https://vandrel.example texts=", {"Launcher al dia (2.1)"}, false},
      {"a new build with its size and address",
       R"({"version": "2.2", "hash": "{new}", "tamano": 22, "url": "{site}/dl/new.exe"})",
       "ready=1 info=1 progress=1 web= " + texts + "2.2|", {"Hay un launcher nuevo: 2.2" + news, verified}, true},
      {"a build that is not the published one", R"({"version": "2.4", "hash": "{other}"})",
       "ready=0 info=1 progress=0 web= " + texts + "2.4|",
       {"Hay un launcher nuevo: 2.4 (propio {own12}, servidor e8e8d7dbd4de)",
        "ABORTADO: el launcher descargado no coincide. Esperado {other}, obtenido {new}"}, false},
      {"no launcher.json", nullptr, "ready=0 info=0 progress=0 web= texts=",
       {"Descarga rechazada, el servidor respondio 404: {site}/launcher/launcher.json",
        "Sin launcher.json en el servidor; se sigue con el launcher actual"}, false},
      {"no valid hash: no links either", R"({"version": "3", "hash": "abc", "web": "https://vandrel.example"})",
       "ready=0 info=0 progress=0 web= texts=", {"launcher.json sin hash valido; se ignora"}, false},
  };
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/launcher/launcher.exe", kNewBuild));  // the default address
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/dl/new.exe", kNewBuild));
  for (const Case& c : cases) {
    const std::string site = SiteUrl();
    const std::string hash = Sha256File(server.siteDir + prefix + "\\dl\\new.exe");
    const std::vector<std::pair<std::string, std::string>> values = {
        {"{own12}", own.substr(0, 12)}, {"{new12}", hash.substr(0, 12)}, {"{own}", own},
        {"{new}", hash}, {"{other}", kOther}, {"{site}", site}};
    DeleteFileA((launcher + ".nuevo").c_str());
    DeleteFileA((server.siteDir + prefix + "\\launcher\\launcher.json").c_str());
    if (c.json) ASSERT_TRUE(WriteSiteFile(server, prefix + "/launcher/launcher.json", Fill(c.json, values)));

    EXPECT_EQ(RunChild("check"), Fill(c.result, values)) << c.what;
    std::vector<std::string> log;
    for (const std::string& line : c.log) log.push_back(Fill(line, values));
    EXPECT_EQ(Log(), log) << c.what;
    EXPECT_EQ(ReadFileBytes(launcher + ".nuevo"), c.placed ? kNewBuild : "") << c.what << ": only a verified build is kept";
    EXPECT_FALSE(FileExists(game / "launcher_remote.json")) << c.what;
  }
}

// The swap that succeeds, the restart and the removal of the old build are driven end to end in the window tests.
TEST_F(SelfUpdateTest, InstallFailuresKeepTheRunningBuild) {
  const std::string original = ReadFileBytes(launcher);
  EXPECT_EQ(RunChild("install"), "installed=0");
  EXPECT_EQ(Log().back(), "InstalarLauncherNuevo: no existe " + launcher + ".nuevo");

  // The new build cannot be moved while another program holds it without delete sharing.
  ASSERT_TRUE(WriteFileBytes(launcher + ".nuevo", kNewBuild));
  HANDLE holder = CreateFileA((launcher + ".nuevo").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RunChild("install"), "installed=0");
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(launcher), original) << "the running build must be moved back";
  EXPECT_EQ(Log().back().rfind("No se pudo colocar el launcher nuevo (error ", 0), 0u) << Log().back();

  // The running build cannot be set aside when its ".viejo" name is taken by a folder.
  ASSERT_TRUE(CreateDirectoryA((launcher + ".viejo").c_str(), nullptr));
  EXPECT_EQ(RunChild("install"), "installed=0");
  EXPECT_EQ(Log().back().rfind("No se pudo apartar el launcher actual (error ", 0), 0u) << Log().back();
  EXPECT_EQ(ReadFileBytes(launcher), original);
  EXPECT_EQ(ReadFileBytes(launcher + ".nuevo"), kNewBuild);
}

}  // namespace
