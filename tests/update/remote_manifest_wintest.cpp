// The fetch of latest.txt and manifest.json against the test update server.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "support/server_test_win.h"

namespace {

// Each outcome says on standard output where the fetch stopped; only a bad version line is logged.
TEST_F(ServerTest, RemoteManifestIsFetchedForTheVersionOnTheFirstLine) {
  const std::string manifest = "{\n  \"version\": \"2.0.1\",\n  \"almacen\": true,\n  \"files\": {\n    \"data/a.pak\": "
                               "{\"hash\": \"" + std::string(64, 'a') + "\", \"tamano\": 10}\n  }\n}\n";
  const std::string retries = "Reintentando descarga (intento 2)...\nReintentando descarga (intento 3)...\n";
  // Fetched when the output ends in "Manifest cargado"; a bad version line is also logged.
  const struct {
    const char* latest;    // null: not published
    std::string manifest;  // for version 2.0; empty: not published
    const char* rule;      // for the path under the site, or empty
    std::string out;
  } cases[] = {
      {"2.0  \t\r\n9.9.9\r\n", manifest, "", "Version remota: 2.0\nManifest cargado: 1 archivos\n"},
      {"2.0", manifest, "/2.0/manifest.json&mode=truncate&bytes=40&times=1",
       "Version remota: 2.0\nReintentando descarga (intento 2)...\nManifest cargado: 1 archivos\n"},
      {nullptr, "", "", "Error al descargar latest.txt\n"},
      {"v1.2.3", "", "", "La version remota no tiene un formato valido\n"},
      {"2.0", "", "", "Version remota: 2.0\nError al descargar manifest.json\n"},
      // The members in another order: no file entry it can read.
      {"2.0", "{\"a.pak\": {\"tamano\": 1, \"hash\": \"" + std::string(64, 'a') + "\"}}", "",
       "Version remota: 2.0\nError al parsear manifest.json\n"},
      // An endless latest.txt is cut at its cap instead of filling the disk.
      {"2.0", manifest, "/latest.txt&mode=endless", retries + "Error al descargar latest.txt\n"},
  };
  for (const auto& c : cases) {
    LauncherApp app(nullptr);
    app.updateUrl = SiteUrl();
    DeleteFileA((server.siteDir + prefix + "\\latest.txt").c_str());
    DeleteFileA((server.siteDir + prefix + "\\2.0\\manifest.json").c_str());
    if (c.latest) ASSERT_TRUE(WriteSiteFile(server, prefix + "/latest.txt", c.latest));
    if (!c.manifest.empty()) ASSERT_TRUE(WriteSiteFile(server, prefix + "/2.0/manifest.json", c.manifest));
    ControlServer(server, "reset");
    if (*c.rule) ControlServer(server, "rule?path=/" + prefix + c.rule);
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    CapturedStdout out;
    const bool fetched = c.out.find("Manifest cargado") != std::string::npos;
    EXPECT_EQ(app.FetchRemoteManifest(), fetched) << c.out;
    EXPECT_EQ(out.Finish(), c.out);
    EXPECT_EQ(Logged("latest.txt trae una version rara, se descarta"), c.out.find("formato") != std::string::npos);
    EXPECT_FALSE(FileExists(game / "latest_remote.txt")) << "latest.txt is read once, then deleted";
    if (!fetched) continue;
    EXPECT_EQ(app.remoteManifest.version + " " + std::to_string(app.remoteManifest.files.size()), "2.0.1 1")
        << "the manifest's own version counts";
    EXPECT_TRUE(FileExists(game / "manifest_remote.json")) << "left for the update run";
  }
}

}  // namespace
