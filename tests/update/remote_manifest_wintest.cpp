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

  const ScratchDir& dir = game;
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
  EXPECT_FALSE(FileExists(dir / "latest_remote.txt")) << "read once, then deleted";
  EXPECT_TRUE(FileExists(dir / "manifest_remote.json")) << "left for the update run";
  EXPECT_TRUE(LogMessages().empty());
}

TEST_F(RemoteManifestTest, TwentyCharacterVersionIsValid) {
  const std::string version = "1.2.3.4.5.6.7.8.9.10";
  ASSERT_EQ(version.size(), 20u);
  Publish(version, version, ManifestJson(version));
  EXPECT_TRUE(Quietly([&] { return app.FetchRemoteManifest(); }));
}

TEST_F(RemoteManifestTest, MalformedVersionLinesAreRejected) {
  for (const char* latest : {" 1.2.3", "v1.2.3", "1.2.3-beta", "1.2.3.4.5.6.7.8.9.100", "\r\n1.2.3"}) {
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", latest));
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest()) << '"' << latest << '"';
    EXPECT_EQ(out.Finish(), "La version remota no tiene un formato valido\n") << '"' << latest << '"';
    const auto messages = LogMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "latest.txt trae una version rara, se descarta");
  }
}

TEST_F(RemoteManifestTest, MissingFilesAndUnreadableManifest) {
  ControlServer(server, "rule?path=/" + prefix + "/latest.txt&mode=endless");  // never fills the disk
  {
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest());
    EXPECT_EQ(out.Finish(), "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n"
                            "Error al descargar latest.txt\n");
  }
  ControlServer(server, "reset");
  {
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest());  // nothing published: latest.txt is a 404
    EXPECT_EQ(out.Finish(), "Error al descargar latest.txt\n");
  }
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", "2.0"));
  {
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest());
    EXPECT_EQ(out.Finish(), "Version remota: 2.0\nError al descargar manifest.json\n");
  }
  // A manifest with the members in another order lists no file it can read.
  Publish("2.0", "2.0", "{\"a.pak\": {\"tamano\": 1, \"hash\": \"" + kHashA + "\"}}");
  {
    CapturedStdout out;
    EXPECT_FALSE(app.FetchRemoteManifest());
    EXPECT_EQ(out.Finish(), "Version remota: 2.0\nError al parsear manifest.json\n");
  }
}

TEST_F(RemoteManifestTest, ManifestCutShortIsFetchedAgain) {
  Publish("3.0", "3.0", ManifestJson("3.0"));
  ControlServer(server, "rule?path=/" + prefix + "/3.0/manifest.json&mode=truncate&bytes=40&times=1");
  ASSERT_TRUE(Quietly([&] { return app.FetchRemoteManifest(); }));
  EXPECT_EQ(app.remoteManifest.files.size(), 1u);
  EXPECT_EQ(Requests("/3.0/manifest.json"), 2);
}

}  // namespace
