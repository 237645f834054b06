// The fetch of latest.txt and manifest.json against the test update server; the text rules of both
// files are tested natively.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "support/server_test_win.h"

namespace {

const std::string kHashA(64, 'a');

std::string ManifestJson(const std::string& version) {
  return "{\n  \"version\": \"" + version + "\",\n  \"almacen\": true,\n  \"files\": {\n    \"data/a.pak\": {\"hash\": \"" +
         kHashA + "\", \"tamano\": 10}\n  }\n}\n";
}

class RemoteManifestTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    app.updateUrl = SiteUrl();
  }

  void Publish(const std::string& latest, const std::string& version, const std::string& manifest) {
    ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", latest));
    ASSERT_TRUE(WriteSiteFile(server, prefix + "/" + version + "/manifest.json", manifest));
  }

  LauncherApp app{nullptr};
};

TEST_F(RemoteManifestTest, FetchesTheVersionNamedOnTheFirstLine) {
  Publish("1.2.3  \t\r\n9.9.9\r\n", "1.2.3", ManifestJson("1.2.3"));
  CapturedStdout out;
  ASSERT_TRUE(app.FetchRemoteManifest());
  EXPECT_EQ(out.Finish(), "Version remota: 1.2.3\nManifest cargado: 1 archivos\n");
  EXPECT_EQ(app.remoteManifest.version, "1.2.3");
  EXPECT_TRUE(app.remoteManifest.store);
  ASSERT_EQ(app.remoteManifest.files.count("data/a.pak"), 1u);
  EXPECT_EQ(app.remoteManifest.files.at("data/a.pak").size, 10);
  EXPECT_FALSE(FileExists(game / "latest_remote.txt")) << "read once, then deleted";
  EXPECT_TRUE(FileExists(game / "manifest_remote.json")) << "left for the update run";
  EXPECT_TRUE(LogMessages().empty());
}

// Each failure says on standard output where the fetch stopped; only a bad version line is logged.
TEST_F(RemoteManifestTest, EveryFailureSaysWhereItStopped) {
  const struct {
    const char* latest;    // null: not published
    std::string manifest;  // for version 2.0; empty: not published
    const char* out;
    bool logged;  // "latest.txt trae una version rara, se descarta"
  } cases[] = {
      {nullptr, "", "Error al descargar latest.txt\n", false},
      {"v1.2.3", "", "La version remota no tiene un formato valido\n", true},
      {"2.0", "", "Version remota: 2.0\nError al descargar manifest.json\n", false},
      // The members in another order: no file entry it can read.
      {"2.0", "{\"a.pak\": {\"tamano\": 1, \"hash\": \"" + kHashA + "\"}}",
       "Version remota: 2.0\nError al parsear manifest.json\n", false},
  };
  for (const auto& c : cases) {
    if (c.latest) {
      ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", c.latest));
    }
    if (!c.manifest.empty()) {
      ASSERT_TRUE(WriteSiteFile(server, prefix + "/2.0/manifest.json", c.manifest));
    }
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest()) << c.out;
    EXPECT_EQ(out.Finish(), c.out);
    EXPECT_EQ(Logged("latest.txt trae una version rara, se descarta"), c.logged) << c.out;
  }
  // An endless latest.txt is cut at its cap instead of filling the disk.
  ControlServer(server, "rule?path=/" + prefix + "/latest.txt&mode=endless");
  CapturedStdout out;
  EXPECT_FALSE(app.FetchRemoteManifest());
  EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n"
                          "Error al descargar latest.txt\n");
}

TEST_F(RemoteManifestTest, ManifestCutShortIsFetchedAgain) {
  Publish("3.0", "3.0", ManifestJson("3.0"));
  ControlServer(server, "rule?path=/" + prefix + "/3.0/manifest.json&mode=truncate&bytes=40&times=1");
  ASSERT_TRUE(app.FetchRemoteManifest());
  EXPECT_EQ(app.remoteManifest.files.size(), 1u);
  EXPECT_EQ(Requests("/3.0/manifest.json"), 2);
}

}  // namespace
