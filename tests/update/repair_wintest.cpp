// Store repair, full patch and the update run, in-process against the test update server. The hostile
// archives come from tests/fixtures/make_patch_archives.py (served under /zips).
#include "update/repair_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

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

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

// The running program's name in upper case: the launcher's own file under another spelling.
std::string ToUpperName() { return Upper(RunningLauncherName()); }

// The names in a folder, sorted; temporary files left behind show up here.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") names.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
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
  // Lists a file in the manifest and marks it pending; with inStore the store has its content too.
  std::string Offer(const std::string& path, const std::string& content, bool inStore = true) {
    ScratchDir scratch;
    WriteFileBytes(scratch / "f", content);
    const std::string hash = Sha256File(scratch / "f");
    app.remoteManifest.files[path] = ManifestEntry{hash, static_cast<int64_t>(content.size())};
    app.pendingFiles.push_back(path);
    if (inStore) {
      EXPECT_TRUE(WriteSiteFile(server, prefix + "/archivos/" + hash.substr(0, 2) + "/" + hash, content));
    }
    return hash;
  }

  // The 25 files of many.zip, listed and pending.
  void OfferMany(bool inStore) {
    for (int i = 0; i < 25; ++i) {
      Offer((i < 10 ? "f0" : "f") + std::to_string(i) + ".txt", "file " + std::to_string(i), inStore);
    }
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

TEST_F(RepairTest, EmptyFilesAreMadeWithoutTheStore) {
  // An empty file is listed with the SHA-256 of empty input: placed without asking the store for it.
  for (const char* name : {"vacio.dat", "otro.dat"}) {
    app.remoteManifest.files[name] = ManifestEntry{kEmptySha256, 0};
    app.pendingFiles.push_back(name);
  }
  ASSERT_TRUE(WriteFileBytes(game / "vacio.dat", "old content"));
  EXPECT_TRUE(DownloadFromStore(app));
  EXPECT_EQ(ReadFileBytes(game / "vacio.dat"), "");
  EXPECT_TRUE(FileExists(game / "otro.dat"));
  EXPECT_EQ(Requests("/archivos/e3/" + std::string(kEmptySha256)), 0);
  EXPECT_TRUE(Texts(UM_PROGRESS).empty()) << "no percentage of zero bytes";
  EXPECT_EQ(Texts(UM_STATUS), (std::vector<std::string>{"Descargando \xC2\xB7 vacio.dat", "Descargando \xC2\xB7 otro.dat"}));
  EXPECT_EQ(Texts(UM_DETAIL).size(), 2u);
}

TEST_F(RepairTest, UnsafePathsTheLauncherAndItsOwnFilesAreSkipped) {
  app.remoteManifest.files["../evil.txt"] = ManifestEntry{std::string(64, 'a'), 4};
  app.pendingFiles.push_back("../evil.txt");
  app.remoteManifest.files["sub/" + ToUpperName()] = ManifestEntry{std::string(64, 'b'), 4};
  app.pendingFiles.push_back("sub/" + ToUpperName());
  Offer("descarga_temporal.tmp", "the store's own temporary name");
  Offer("good.txt", "good");
  EXPECT_TRUE(DownloadFromStore(app));
  EXPECT_EQ(ReadFileBytes(game / "good.txt"), "good");
  EXPECT_FALSE(FileExists(game / "descarga_temporal.tmp"));
  EXPECT_TRUE(Logged("Ruta insegura en el manifiesto, ignorada: ../evil.txt"));
  EXPECT_TRUE(Logged("Omitido (es el launcher en ejecucion): sub/" + ToUpperName()));
  EXPECT_TRUE(Logged("Omitido (es un archivo del propio launcher): descarga_temporal.tmp"));
  EXPECT_TRUE(Logged("Descarga por ficheros terminada: 1 de 4 ficheros"));
  EXPECT_LT(std::stoi(Texts(UM_PROGRESS).back()), 100) << "skipped sizes stay in the total";
}

TEST_F(RepairTest, StoreFileThatIsNotThePublishedOneNeverReachesItsDestination) {
  struct Case {
    const char* served;  // what the store answers for "genuine"
    bool upperCase;      // the manifest's hash in upper case
    const char* logged;  // the start of the last log line
  } const cases[] = {
      {"GENUINE", false, "ABORTADO: mapa.pak llego alterado. Esperado "},
      {"genuine", true, "ABORTADO: mapa.pak llego alterado. Esperado "},
      {"genuine-and-more", false, "No se pudo descargar mapa.pak ("},  // longer than listed: never fills a disk
  };
  const std::string lower = Offer("mapa.pak", "genuine");
  for (const Case& c : cases) {
    const std::string hash = c.upperCase ? Upper(lower) : lower;
    app.remoteManifest.files["mapa.pak"] = ManifestEntry{hash, 7};
    // Served by a rule: the site folder, seen through Wine, does not tell letter cases apart.
    ControlServer(server, "rule?mode=no_length&path=/" + prefix + "/archivos/" + hash.substr(0, 2) + "/" + hash +
                              "&body=" + c.served);
    EXPECT_FALSE(Quietly([&] { return DownloadFromStore(app); })) << c.served;
    EXPECT_EQ(Names(game.path()), std::vector<std::string>{}) << c.served;
    EXPECT_EQ(LogMessages().back().rfind(c.logged, 0), 0u) << LogMessages().back();
  }
  EXPECT_TRUE(Logged("Descarga cortada: " + SiteUrl() + "/archivos/" + lower.substr(0, 2) + "/" + lower +
                     " pasa de 7 bytes"));
}

TEST_F(RepairTest, StoreFailureFallsBackToTheFullPatch) {
  app.remoteManifest.store = true;
  OfferMany(true);
  const std::string missing = app.remoteManifest.files.at("f13.txt").hash;  // the store lacks it: 404
  ASSERT_TRUE(DeleteFileA((server.siteDir + prefix + "\\archivos\\" + missing.substr(0, 2) + "\\" + missing).c_str()));
  app.remoteManifest.patchHash = ServePatch("many.zip");
  CapturedStdout out;
  RunUpdate(app);
  const std::string printed = out.Finish();
  EXPECT_NE(printed.find("El almacen fallo, se prueba con el patch.zip completo\n"), std::string::npos);
  EXPECT_NE(printed.find("Actualizacion completada\n"), std::string::npos);
  EXPECT_TRUE(Logged("No se pudo descargar f13.txt (" + SiteUrl() + "/archivos/" + missing.substr(0, 2) + "/" +
                     missing + ")"));
  EXPECT_TRUE(Logged("La descarga por ficheros fallo; se intenta el patch.zip completo"));
  EXPECT_EQ(ReadFileBytes(game / "f24.txt"), "file 24");
  EXPECT_EQ(Requests("/2.0/patch.zip"), 1);
  EXPECT_EQ(seen.back().message, UM_UPDATE_DONE);
  EXPECT_EQ(seen.back().value, "2.0");
  // The progress bar goes back to 0 when the store gives up.
  EXPECT_EQ(Texts(UM_PROGRESS).back(), "0");
}

TEST_F(RepairTest, WithoutStoreTheRunGoesStraightToThePatch) {
  OfferMany(true);
  app.remoteManifest.patchHash = ServePatch("many.zip");
  ASSERT_TRUE(WriteFileBytes(game / "manifest_remote.json", "{}"));
  CapturedStdout out;
  RunUpdate(app);
  EXPECT_EQ(out.Finish().find("El almacen fallo"), std::string::npos);
  EXPECT_EQ(Requests("/archivos/" + app.remoteManifest.files.at("f00.txt").hash.substr(0, 2) + "/" +
                     app.remoteManifest.files.at("f00.txt").hash), 0) << "the store was not used";
  EXPECT_EQ(ReadFileBytes(game / "f00.txt"), "file 0");
  EXPECT_FALSE(FileExists(game / "patch_temp.zip"));
  EXPECT_FALSE(FileExists(game / "manifest_remote.json"));
  EXPECT_EQ(ReadFileBytes(game / "version.txt"), "2.0");
  EXPECT_EQ(seen.back().message, UM_UPDATE_DONE);
  // Status at every tenth file, and 25 extracted in all.
  std::vector<std::string> installing;
  for (const std::string& text : Texts(UM_STATUS)) {
    if (text.rfind(UiTextUtf8(TXT_INSTALLING_FILES), 0) == 0) installing.push_back(text);
  }
  EXPECT_EQ(installing, (std::vector<std::string>{"Instalando archivos (10)", "Instalando archivos (20)"}));
}

TEST_F(RepairTest, OnlyListedSafeEntriesAreExtracted) {
  Offer("ok.txt", "fine");
  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "deep";
  Offer("nested/a/b/c.txt", deep);
  Offer("empty.bin", "");
  ASSERT_TRUE(CreateDirectoryA((game / "saves").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(game / "saves\\slot1.sav", "mine"));
  ASSERT_TRUE(WriteFileBytes(game / "qarlok.cfg", "mine"));
  app.remoteManifest.patchHash = ServePatch("hostile.zip");
  CapturedStdout out;
  EXPECT_TRUE(InstallFullPatch(app, "2.0"));
  EXPECT_NE(out.Finish().find("Archivos extraidos: 3\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(game / "ok.txt"), "fine");
  EXPECT_EQ(ReadFileBytes(game / "nested\\a\\b\\c.txt"), deep);
  EXPECT_TRUE(FileExists(game / "empty.bin"));
  EXPECT_EQ(ReadFileBytes(game / "saves\\slot1.sav"), "mine") << "not in the manifest";
  EXPECT_EQ(ReadFileBytes(game / "qarlok.cfg"), "mine") << "the player's settings";
  EXPECT_EQ(Names(game.path()), (std::vector<std::string>{"empty.bin", "nested", "ok.txt", "patch_temp.zip",
                                                         "qarlok.cfg", "saves"}));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: ../x.txt"));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: C:/x.txt"));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: data/nul.txt"));
  EXPECT_TRUE(Logged("Omitido del parche (es el launcher en ejecucion): sub/" + ToUpperName()));
  EXPECT_TRUE(Logged("Omitido del parche (es un archivo del propio launcher): Patch_Temp.zip"));
  EXPECT_TRUE(Logged("ATENCION: 6 entradas del ZIP rechazadas por intentar salirse de la carpeta del juego"));
  EXPECT_TRUE(Logged("ATENCION: 1 entradas del ZIP omitidas por no estar en el manifiesto"));
}

TEST_F(RepairTest, ArchivesThatCannotBeExtractedLeaveTheOldFiles) {
  struct Case {
    const char* fixture;
    const char* logged;  // empty: the archive itself cannot be read
  } const cases[] = {
      {"none.zip", ""},
      {"garbage.zip", ""},
      {"damaged.zip", "No se pudo extraer a.txt: CRC incorrecto"},
      {"truncated.zip", "No se pudo extraer a.txt: datos incompletos"},
      {"bomb.zip", "No se pudo extraer a.txt: mas grande que en el manifiesto"},
  };
  Offer("a.txt", "new", false);
  ASSERT_TRUE(WriteFileBytes(game / "a.txt", "old"));
  for (const Case& c : cases) {
    seen.clear();
    app.remoteManifest.patchHash = ServePatch(c.fixture);
    EXPECT_FALSE(Quietly([&] { return InstallFullPatch(app, "2.0"); })) << c.fixture;
    EXPECT_EQ(Texts(UM_FAILED), std::vector<std::string>{"Error al descomprimir"}) << c.fixture;
    EXPECT_EQ(Names(game.path()), std::vector<std::string>{"a.txt"}) << c.fixture << ": no temporary file left";
    EXPECT_EQ(ReadFileBytes(game / "a.txt"), "old") << c.fixture;
    if (*c.logged) {
      EXPECT_EQ(LogMessages().back(), c.logged);
    }
  }
}

TEST_F(RepairTest, DoneOnlyWhenEveryPendingFileHoldsItsPublishedContent) {
  struct Case {
    const char* name;
    bool store;
    const char* spoiled;  // besides many.zip's files, listed with a hash it can never have
    size_t pending;       // kept for the next attempt
  } const cases[] = {
      {"a device name the store skips", true, "data/nul.txt", 26},
      {"an entry missing from the archive", false, "falta.txt", 26},
      {"a hash in upper case", false, "f07.txt", 25},
  };
  ASSERT_TRUE(WriteFileBytes(game / "version.txt", "1.0"));
  for (const Case& c : cases) {
    seen.clear();
    app.pendingFiles.clear();
    app.remoteManifest.files.clear();
    app.remoteManifest.store = c.store;
    OfferMany(true);
    const auto listed = app.remoteManifest.files.find(c.spoiled);
    ManifestEntry spoiled = listed != app.remoteManifest.files.end() ? listed->second : ManifestEntry{};
    if (spoiled.hash.empty()) app.pendingFiles.push_back(c.spoiled);
    spoiled.hash = spoiled.hash.empty() ? std::string(64, 'c') : Upper(spoiled.hash);
    app.remoteManifest.files[c.spoiled] = spoiled;
    app.remoteManifest.patchHash = ServePatch("many.zip");
    Quietly([&] { RunUpdate(app); });
    EXPECT_EQ(Texts(UM_FAILED), std::vector<std::string>{"Instalacion incompleta: 1 archivos no coinciden"}) << c.name;
    EXPECT_NE(seen.back().message, UM_UPDATE_DONE) << c.name;
    EXPECT_EQ(ReadFileBytes(game / "version.txt"), "1.0") << c.name;
    EXPECT_FALSE(FileExists(game / "patch_temp.zip")) << c.name;
    EXPECT_EQ(app.pendingFiles.size(), c.pending) << c.name;
  }
}

TEST_F(RepairTest, UnverifiedPatchIsNeverExtracted) {
  const std::string good = ServePatch("many.zip");
  const std::string upper = Upper(good);
  OfferMany(false);
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
    Quietly([&] { RunUpdate(app); });
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
