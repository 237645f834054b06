// Store repair, full patch and the update run, in-process against the test update server. The hostile
// archives come from tests/fixtures/make_patch_archives.py (served under /zips).
#include "update/repair_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "core/launcher_app.h"
#include "core/module_path_win.h"
#include "support/server_test_win.h"
#include "ui/ui_text.h"
#include "update/install_paths.h"
#include "update/messages.h"
#include "update/sha256_win.h"

namespace {

struct Seen {
  UINT message;
  std::string value;  // the text, the number, or for UM_UPDATE_DONE what version.txt held at that moment
};
std::vector<Seen> seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case UM_STATUS:
    case UM_DETAIL:
    case UM_FAILED:
      seen.push_back({message, lParam ? reinterpret_cast<const char*>(lParam) : "(null)"});
      return 0;
    case UM_PROGRESS:
      seen.push_back({message, std::to_string(lParam)});
      return 0;
    case UM_UPDATE_DONE:
      seen.push_back({message, ReadFileBytes("version.txt")});
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND RecordingWindow() {
  static const HWND window = MakeMessageWindow("RepairTestWindow", RecordingProc);
  return window;
}

// The running program's name in upper case: the launcher's own file under another spelling.
std::string ToUpperName() {
  std::string name = RunningLauncherName();
  for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return name;
}

std::vector<std::string> Texts(UINT message) {
  std::vector<std::string> texts;
  for (const Seen& s : seen) {
    if (s.message == message) texts.push_back(s.value);
  }
  return texts;
}

class RepairTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    app.updateUrl = SiteUrl();
    app.remoteManifest.version = "2.0";
    seen.clear();
    SelectUiLanguage("es");
  }
  // Lists a file in the manifest, puts its content in the store and marks it pending.
  std::string Offer(const std::string& path, const std::string& content) {
    ScratchDir scratch;
    WriteFileBytes(scratch / "f", content);
    const std::string hash = Sha256File(scratch / "f");
    app.remoteManifest.files[path] = ManifestEntry{hash, static_cast<int64_t>(content.size())};
    app.pendingFiles.push_back(path);
    EXPECT_TRUE(WriteSiteFile(server, prefix + "/archivos/" + hash.substr(0, 2) + "/" + hash, content));
    return hash;
  }

  // Serves one of the fixture archives as this site's patch.zip; returns its hash.
  std::string ServePatch(const std::string& fixture) {
    const std::string bytes = ReadFileBytes(server.siteDir + "zips\\" + fixture);
    EXPECT_FALSE(bytes.empty()) << fixture;
    EXPECT_TRUE(WriteSiteFile(server, prefix + "/2.0/patch.zip", bytes));
    return Sha256File(server.siteDir + prefix + "\\2.0\\patch.zip");
  }

  LauncherApp app{RecordingWindow()};
};

TEST_F(RepairTest, StorePlacesEveryPendingFileWithoutThePatch) {
  app.remoteManifest.store = true;
  Offer("a.txt", "alpha");
  Offer("data/maps/x.bin", std::string(3000, 'x'));  // a folder that does not exist yet
  const std::string same = Offer("dup1.txt", "twin");
  Offer("dup2.txt", "twin");
  CapturedStdout out;
  RunUpdate(app);
  EXPECT_EQ(out.Finish(), "");

  EXPECT_EQ(ReadFileBytes(game / "a.txt"), "alpha");
  EXPECT_EQ(ReadFileBytes(game / "data\\maps\\x.bin"), std::string(3000, 'x'));
  EXPECT_EQ(ReadFileBytes(game / "dup1.txt"), "twin");
  EXPECT_EQ(ReadFileBytes(game / "dup2.txt"), "twin");
  EXPECT_FALSE(FileExists(game / "descarga_temporal.tmp"));
  EXPECT_EQ(Requests("/archivos/" + same.substr(0, 2) + "/" + same), 2);
  EXPECT_EQ(Requests("/2.0/patch.zip"), 0);
  EXPECT_TRUE(app.pendingFiles.empty());

  // version.txt is written before the window hears of the end.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().message, UM_UPDATE_DONE);
  EXPECT_EQ(seen.back().value, "2.0");
  EXPECT_EQ(Texts(UM_PROGRESS).back(), "100");
  EXPECT_EQ(Texts(UM_STATUS).front(), UiTextUtf8(TXT_DOWNLOADING_PATCH) + " 2.0");
  EXPECT_EQ(Texts(UM_STATUS).back(), UiTextUtf8(TXT_UPDATE_DONE));
  EXPECT_EQ(Texts(UM_DETAIL).back(), "4 de 4 archivos \xC2\xB7 0.0 de 0.0 MB");
  EXPECT_TRUE(Logged("Descarga por ficheros: 4 ficheros, 0.00 MB"));
  EXPECT_TRUE(Logged("Descarga por ficheros terminada: 4 de 4 ficheros"));
  EXPECT_TRUE(Logged("Actualizado a la version 2.0"));
}

TEST_F(RepairTest, EmptyFilesAndZeroSizes) {
  // An empty file is listed with the SHA-256 of empty input: placed without asking the store.
  app.remoteManifest.files["vacio.dat"] = ManifestEntry{kEmptySha256, 0};
  app.pendingFiles.push_back("vacio.dat");
  const std::string hash = Offer("cero.txt", "listed with size 0");
  app.remoteManifest.files["cero.txt"] = ManifestEntry{hash, 0};
  ASSERT_TRUE(WriteFileBytes(game / "vacio.dat", "old content"));
  EXPECT_TRUE(DownloadFromStore(app));
  EXPECT_TRUE(FileExists(game / "vacio.dat"));
  EXPECT_EQ(ReadFileBytes(game / "vacio.dat"), "");
  EXPECT_EQ(ReadFileBytes(game / "cero.txt"), "listed with size 0");
  EXPECT_EQ(Requests("/archivos/e3/" + std::string(kEmptySha256)), 0);
  EXPECT_TRUE(Texts(UM_PROGRESS).empty()) << "no percentage of zero bytes";
  EXPECT_EQ(Texts(UM_STATUS), (std::vector<std::string>{"Descargando \xC2\xB7 vacio.dat", "Descargando \xC2\xB7 cero.txt"}));
  EXPECT_EQ(Texts(UM_DETAIL).size(), 2u);
}

TEST_F(RepairTest, UnsafePathsAndTheLauncherAreSkipped) {
  app.remoteManifest.files["../evil.txt"] = ManifestEntry{std::string(64, 'a'), 4};
  app.pendingFiles.push_back("../evil.txt");
  app.remoteManifest.files["sub/" + ToUpperName()] = ManifestEntry{std::string(64, 'b'), 4};
  app.pendingFiles.push_back("sub/" + ToUpperName());
  Offer("good.txt", "good");
  EXPECT_TRUE(DownloadFromStore(app));
  EXPECT_EQ(ReadFileBytes(game / "good.txt"), "good");
  EXPECT_TRUE(Logged("Ruta insegura en el manifiesto, ignorada: ../evil.txt"));
  EXPECT_TRUE(Logged("Omitido (es el launcher en ejecucion): sub/" + ToUpperName()));
  EXPECT_TRUE(Logged("Descarga por ficheros terminada: 1 de 3 ficheros"));
  EXPECT_LT(std::stoi(Texts(UM_PROGRESS).back()), 100) << "skipped sizes stay in the total";
}

TEST_F(RepairTest, AlteredStoreFileNeverReachesItsDestination) {
  const std::string hash = Offer("mapa.pak", "genuine");
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/archivos/" + hash.substr(0, 2) + "/" + hash, "tampered"));
  EXPECT_FALSE(DownloadFromStore(app));
  EXPECT_FALSE(FileExists(game / "mapa.pak"));
  EXPECT_FALSE(FileExists(game / "descarga_temporal.tmp"));
  EXPECT_EQ(LogMessages().back().rfind("ABORTADO: mapa.pak llego alterado. Esperado " + hash + ", obtenido ", 0), 0u);

  // A hash published in upper case never matches the file's lower-case hash.
  std::string upper = hash;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(WriteSiteFile(server, prefix + "/archivos/" + upper.substr(0, 2) + "/" + upper, "genuine"));
  app.remoteManifest.files["mapa.pak"] = ManifestEntry{upper, 7};
  EXPECT_FALSE(DownloadFromStore(app));
  EXPECT_FALSE(FileExists(game / "mapa.pak"));
}

TEST_F(RepairTest, StoreFailureFallsBackToTheFullPatch) {
  app.remoteManifest.store = true;
  Offer("a.txt", "placed before the failure");
  app.pendingFiles.push_back("ghost.txt");  // not in the manifest
  app.remoteManifest.patchHash = ServePatch("many.zip");
  CapturedStdout out;
  RunUpdate(app);
  const std::string printed = out.Finish();
  EXPECT_NE(printed.find("El almacen fallo, se prueba con el patch.zip completo\n"), std::string::npos);
  EXPECT_NE(printed.find("Actualizacion completada\n"), std::string::npos);
  EXPECT_TRUE(Logged("El manifiesto no tiene hash para ghost.txt"));
  EXPECT_TRUE(Logged("La descarga por ficheros fallo; se intenta el patch.zip completo"));
  EXPECT_EQ(ReadFileBytes(game / "a.txt"), "placed before the failure");
  EXPECT_EQ(ReadFileBytes(game / "f24.txt"), "file 24");
  EXPECT_EQ(Requests("/2.0/patch.zip"), 1);
  EXPECT_EQ(seen.back().message, UM_UPDATE_DONE);
  EXPECT_EQ(seen.back().value, "2.0");
  // The progress bar goes back to 0 when the store gives up.
  const auto progress = Texts(UM_PROGRESS);
  EXPECT_EQ(progress.back(), "0");
}

TEST_F(RepairTest, WithoutStoreTheRunGoesStraightToThePatch) {
  Offer("a.txt", "from the store");
  app.remoteManifest.patchHash = ServePatch("many.zip");
  ASSERT_TRUE(WriteFileBytes(game / "manifest_remote.json", "{}"));
  CapturedStdout out;
  RunUpdate(app);
  EXPECT_EQ(out.Finish().find("El almacen fallo"), std::string::npos);
  EXPECT_FALSE(FileExists(game / "a.txt")) << "the store was not used";
  EXPECT_EQ(ReadFileBytes(game / "f00.txt"), "file 0");
  EXPECT_FALSE(FileExists(game / "patch_temp.zip"));
  EXPECT_FALSE(FileExists(game / "manifest_remote.json"));
  EXPECT_EQ(ReadFileBytes(game / "version.txt"), "2.0");
  // Status at every tenth file, and 25 extracted in all.
  std::vector<std::string> installing;
  for (const std::string& text : Texts(UM_STATUS)) {
    if (text.rfind(UiTextUtf8(TXT_INSTALLING_FILES), 0) == 0) installing.push_back(text);
  }
  EXPECT_EQ(installing, (std::vector<std::string>{"Instalando archivos (10)", "Instalando archivos (20)"}));
}

TEST_F(RepairTest, HostileArchiveEntriesAreRefused) {
  app.remoteManifest.patchHash = ServePatch("hostile.zip");
  CapturedStdout out;
  EXPECT_TRUE(InstallFullPatch(app, "2.0"));
  EXPECT_NE(out.Finish().find("Archivos extraidos: 3\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(game / "ok.txt"), "fine");
  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "deep";
  EXPECT_EQ(ReadFileBytes(game / "nested\\a\\b\\c.txt"), deep);
  EXPECT_TRUE(FileExists(game / "empty.bin"));
  const DWORD dataDir = GetFileAttributesA((game / "data").c_str());
  ASSERT_NE(dataDir, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(dataDir & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(FileExists(game / "sub"));
  EXPECT_FALSE(FileExists(game / "..\\x.txt"));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: ../x.txt"));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: C:/x.txt"));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: data/nul.txt"));
  EXPECT_TRUE(Logged("Omitido del parche (es el launcher en ejecucion): sub/" + ToUpperName()));
  EXPECT_TRUE(Logged("ATENCION: 6 entradas del ZIP rechazadas por intentar salirse de la carpeta del juego"));
}

TEST_F(RepairTest, ArchivesThatCannotBeExtracted) {
  for (const char* fixture : {"none.zip", "garbage.zip"}) {
    seen.clear();
    app.remoteManifest.patchHash = ServePatch(fixture);
    EXPECT_FALSE(InstallFullPatch(app, "2.0")) << fixture;
    EXPECT_EQ(Texts(UM_FAILED), std::vector<std::string>{"Error al descomprimir"}) << fixture;
    EXPECT_TRUE(FileExists(game / "patch_temp.zip")) << "left for the next run to download over";
  }
}

TEST_F(RepairTest, UnverifiedPatchIsNeverExtracted) {
  const std::string good = ServePatch("many.zip");
  std::string upper = good;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::string patchHash;
    const char* failure;
  } const cases[] = {{"", "Actualizacion sin verificar"},
                     {upper, "Actualizacion alterada o incompleta"},
                     {std::string(64, '0'), "Actualizacion alterada o incompleta"}};
  ASSERT_TRUE(WriteFileBytes(game / "version.txt", "1.0"));
  ASSERT_TRUE(WriteFileBytes(game / "manifest_remote.json", "{}"));
  for (const Case& c : cases) {
    seen.clear();
    app.remoteManifest.patchHash = c.patchHash;
    RunUpdate(app);
    EXPECT_EQ(Texts(UM_FAILED), std::vector<std::string>{c.failure});
    EXPECT_FALSE(FileExists(game / "f00.txt"));
    EXPECT_FALSE(FileExists(game / "patch_temp.zip"));
    EXPECT_EQ(ReadFileBytes(game / "version.txt"), "1.0");
    EXPECT_TRUE(FileExists(game / "manifest_remote.json"));
  }
  EXPECT_TRUE(Logged("ABORTADO: manifest.json sin patch_hash. Republica la version con publicar.py."));
  EXPECT_TRUE(Logged("ABORTADO: hash del parche incorrecto. Esperado " + upper + ", obtenido " + good));
}

}  // namespace
