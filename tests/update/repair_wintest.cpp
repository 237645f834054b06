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

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

// The names in a folder, sorted; temporary files left behind show up here.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data) != FALSE) {
    if (data.cFileName[0] != '.') names.push_back(data.cFileName);
  }
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

class RepairTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    app.updateUrl = SiteUrl();
    app.remoteManifest.version = "2.0";
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

  // A fresh attempt: nothing heard yet, no file installed, and the 25 files of many.zip listed and pending.
  void OfferMany(bool inStore) {
    SeenMessages().clear();
    for (const std::string& name : Names(game.path())) DeleteFileA(name.c_str());
    app.remoteManifest.files.clear();
    app.pendingFiles.clear();
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

TEST_F(RepairTest, StoreSkipsWhatItMayNotWriteAndMakesEmptyFilesHere) {
  app.remoteManifest.files["../evil.txt"] = ManifestEntry{std::string(64, 'a'), 0};
  app.pendingFiles.push_back("../evil.txt");
  app.remoteManifest.files["sub/" + Upper(RunningLauncherName())] = ManifestEntry{std::string(64, 'b'), 0};
  app.pendingFiles.push_back("sub/" + Upper(RunningLauncherName()));
  Offer("Descarga_Temporal3.tmp", "");  // one of the store's own temporaries
  // Listed with the SHA-256 of empty input: made here, never asked of the store.
  Offer("data/maps/x.bin", "", false);  // a folder that does not exist yet
  Offer("vacio.dat", "", false);
  ASSERT_TRUE(WriteFileBytes(game / "vacio.dat", "old content"));
  EXPECT_TRUE(DownloadFromStore(app));
  EXPECT_EQ(Names(game.path()), (std::vector<std::string>{"data", "vacio.dat"}));
  EXPECT_EQ(ReadFileBytes(game / "vacio.dat"), "");
  EXPECT_TRUE(FileExists(game / "data\\maps\\x.bin"));
  EXPECT_EQ(Requests("/archivos/e3/" + std::string(kEmptySha256)), 0);
  EXPECT_TRUE(Logged("Ruta insegura en el manifiesto, ignorada: ../evil.txt"));
  EXPECT_TRUE(Logged("Omitido (es el launcher en ejecucion): sub/" + Upper(RunningLauncherName())));
  EXPECT_TRUE(Logged("Omitido (es un archivo del propio launcher): Descarga_Temporal3.tmp"));
  EXPECT_TRUE(Logged("Descarga por ficheros terminada: 2 de 5 ficheros"));
  EXPECT_TRUE(SeenValues(UM_PROGRESS).empty()) << "no percentage of zero bytes";
  EXPECT_EQ(SeenValues(UM_STATUS), (std::vector<std::string>{"Descargando \xC2\xB7 data/maps/x.bin",
                                                        "Descargando \xC2\xB7 vacio.dat"}));
}

TEST_F(RepairTest, StoreWithFilesInFlightStopsAtTheFirstFailureInListingOrder) {
  struct Case {
    const char* spoiled;   // the pending file the store serves wrongly, "" for none
    bool upperCase;        // its manifest hash in upper case
    const char* rule;      // how the store serves it
    size_t placed;         // files placed, from the top of the list, when the run ends
    const char* progress;  // the last percentage
    const char* logged;    // the start of the last log line
  } const cases[] = {
      {"", false, "", 25, "100", "Descarga por ficheros terminada: 25 de 25 ficheros"},
      {"f13.txt", false, "mode=status&status=404", 13, "49", "No se pudo descargar f13.txt (http://"},
      // Slower than the files after it, which are fetched and checked first and must wait for it.
      {"f01.txt", false, "mode=stall&seconds=0.5&body=FILE+1", 1, "3", "ABORTADO: f01.txt llego alterado. Esperado "},
      {"f05.txt", true, "mode=stall&seconds=0.02&body=file+5", 5, "18", "ABORTADO: f05.txt llego alterado. Esperado "},
      // Longer than listed: cut, so that a store file never fills a disk.
      {"f09.txt", false, "mode=no_length&body=file+9+and+more", 9, "32", "No se pudo descargar f09.txt (http://"},
  };
  for (const Case& c : cases) {
    OfferMany(true);
    // Every request waits a little, so that several downloads are under way at once.
    ControlServer(server, "reset");
    ControlServer(server, "rule?path=*&mode=stall&seconds=0.02");
    if (*c.spoiled) {
      ManifestEntry entry = app.remoteManifest.files.at(c.spoiled);
      if (c.upperCase) entry.hash = Upper(entry.hash);
      app.remoteManifest.files[c.spoiled] = entry;
      ControlServer(server, std::string("rule?") + c.rule + "&path=/" + prefix + "/archivos/" +
                                entry.hash.substr(0, 2) + "/" + entry.hash);
    }
    EXPECT_EQ(Quietly([&] { return DownloadFromStore(app); }), c.placed == 25) << c.spoiled;
    std::vector<std::string> names, statuses, details;
    for (size_t i = 0; i < c.placed; ++i) {
      names.push_back(app.pendingFiles[i]);
      EXPECT_EQ(ReadFileBytes(game / names.back()), "file " + std::to_string(i)) << c.spoiled;
      statuses.push_back("Descargando \xC2\xB7 " + names.back());
      details.push_back(std::to_string(i + 1) + " de 25 archivos \xC2\xB7 0.0 de 0.0 MB");
    }
    EXPECT_EQ(Names(game.path()), names) << c.spoiled << ": nothing after the failure, no temporary left";
    EXPECT_EQ(SeenValues(UM_STATUS), statuses) << c.spoiled;
    EXPECT_EQ(SeenValues(UM_DETAIL), details) << c.spoiled;
    EXPECT_EQ(SeenValues(UM_PROGRESS).back(), c.progress) << c.spoiled;
    EXPECT_EQ(LogMessages().back().rfind(c.logged, 0), 0u) << LogMessages().back();
  }
}

// One update run of many.zip's files per row, from version 1.0. The outcome reads "store and patch requests |
// what was printed | how it ended | version.txt | manifest_remote.json | pending files | the bar | installing statuses".
TEST_F(RepairTest, UpdateRunTakesTheStoreOtherwiseThePatchAndIsDoneOnlyWhenEveryFileMatches) {
  struct Case {
    const char* name;
    bool store;
    bool storeLacksOne;   // f13 is missing from the store: 404
    const char* spoiled;  // listed with a hash it can never have, "" for none
    const char* outcome;
  } const cases[] = {
      {"the store alone", true, false, "", "1 0 | actualizado | done 2.0 | 2.0 | kept | 0 | 100 | 0"},
      {"the patch alone", false, false, "", "0 1 | completada | done 2.0 | 2.0 | gone | 25 | 0 | 1"},
      {"the patch after the store fails", true, true, "",
       "1 1 | fallo fallo-log completada | done 2.0 | 2.0 | gone | 25 | 0 | 1"},
      {"a device name the store skips", true, false, "data/nul.txt",
       "1 1 | fallo fallo-log | Instalacion incompleta: 1 archivos no coinciden | 1.0 | kept | 26 | 0 | 1"},
      {"an entry missing from the archive", false, false, "falta.txt",
       "0 1 | - | Instalacion incompleta: 1 archivos no coinciden | 1.0 | kept | 26 | 0 | 1"},
      {"a hash in upper case", false, false, "f07.txt",
       "0 1 | - | Instalacion incompleta: 1 archivos no coinciden | 1.0 | kept | 25 | 0 | 1"},
  };
  for (const Case& c : cases) {
    app.remoteManifest.store = c.store;
    OfferMany(true);
    const std::string missing = app.remoteManifest.files.at("f13.txt").hash;
    if (c.storeLacksOne) {
      ASSERT_TRUE(DeleteFileA((server.siteDir + prefix + "\\archivos\\" + missing.substr(0, 2) + "\\" + missing).c_str()));
    }
    if (*c.spoiled) {
      const auto listed = app.remoteManifest.files.find(c.spoiled);
      ManifestEntry spoiled = listed != app.remoteManifest.files.end() ? listed->second : ManifestEntry{};
      if (spoiled.hash.empty()) app.pendingFiles.push_back(c.spoiled);
      spoiled.hash = spoiled.hash.empty() ? std::string(64, 'c') : Upper(spoiled.hash);
      app.remoteManifest.files[c.spoiled] = spoiled;
    }
    app.remoteManifest.patchHash = ServePatch("many.zip");
    ASSERT_TRUE(WriteFileBytes(game / "manifest_remote.json", "{}") && WriteFileBytes(game / "version.txt", "1.0"));
    ControlServer(server, "clear_log");
    DeleteFileA((LauncherDirectory() + "launcher_log.txt").c_str());
    CapturedStdout out;
    RunUpdate(app);
    const std::string printed = out.Finish();
    // Printed and logged: the fall-back to the patch, the patch's completion, the new version.
    std::string said;
    if (printed.find("El almacen fallo, se prueba con el patch.zip completo\n") != std::string::npos) said += " fallo";
    if (Logged("La descarga por ficheros fallo; se intenta el patch.zip completo")) said += " fallo-log";
    if (printed.find("Actualizacion completada\n") != std::string::npos) said += " completada";
    if (Logged("Actualizado a la version 2.0")) said += " actualizado";
    // version.txt is written before the window hears of the end.
    std::string end = SeenMessages().back().message == UM_UPDATE_DONE ? "done " + SeenMessages().back().value : "";
    for (const std::string& failure : SeenValues(UM_FAILED)) end += failure;
    const std::vector<std::string> statuses = SeenValues(UM_STATUS);  // one at every tenth file extracted
    const std::string outcome =
        std::to_string(Requests("/archivos/" + missing.substr(0, 2) + "/" + missing)) + " " +
        std::to_string(Requests("/2.0/patch.zip")) + " | " + (said.empty() ? "-" : said.substr(1)) +
        " | " + end + " | " + ReadFileBytes(game / "version.txt") + " | " +
        (FileExists(game / "manifest_remote.json") ? "kept" : "gone") + " | " + std::to_string(app.pendingFiles.size()) +
        " | " + SeenValues(UM_PROGRESS).back() + " | " +
        std::to_string(std::count(statuses.begin(), statuses.end(), "Instalando archivos (20)"));
    EXPECT_EQ(outcome, c.outcome) << c.name << ": requests | printed | end | version | manifest | pending | bar | installing";
    EXPECT_EQ(ReadFileBytes(game / "f24.txt"), "file 24") << c.name;
    EXPECT_FALSE(FileExists(game / "patch_temp.zip")) << c.name << ": the patch's temporary must go";
    EXPECT_TRUE(end.rfind("done", 0) != 0 || statuses.back() == UiTextUtf8(TXT_UPDATE_DONE)) << c.name;
  }
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
  EXPECT_EQ(ReadFileBytes(game / "nested\\a\\b\\c.txt"), deep);
  EXPECT_EQ(ReadFileBytes(game / "saves\\slot1.sav"), "mine") << "not in the manifest";
  EXPECT_EQ(ReadFileBytes(game / "qarlok.cfg"), "mine") << "the player's settings";
  EXPECT_EQ(Names(game.path()), (std::vector<std::string>{"empty.bin", "nested", "ok.txt", "patch_temp.zip",
                                                         "qarlok.cfg", "saves"}));
  EXPECT_TRUE(Logged("Entrada del ZIP rechazada por ruta insegura: ../x.txt")) << "each refused entry is named";
  EXPECT_TRUE(Logged("Omitido del parche (es el launcher en ejecucion): sub/" + Upper(RunningLauncherName())));
  EXPECT_TRUE(Logged("Omitido del parche (es un archivo del propio launcher): Patch_Temp.zip"));
  EXPECT_TRUE(Logged("ATENCION: 6 entradas del ZIP rechazadas por intentar salirse de la carpeta del juego"));
  EXPECT_TRUE(Logged("ATENCION: 1 entradas del ZIP omitidas por no estar en el manifiesto"));
}

TEST_F(RepairTest, PatchThatIsUnverifiedOrCannotBeExtractedChangesNothing) {
  struct Case {
    const char* fixture;
    const char* patchHash;  // "own": the archive's hash, "UPPER": the same in upper case, else as written
    const char* failure;
    const char* logged;  // the start of the last log line; empty when the archive itself cannot be read
  } const cases[] = {
      {"none.zip", "own", "Error al descomprimir", ""},
      {"garbage.zip", "own", "Error al descomprimir", ""},
      {"damaged.zip", "own", "Error al descomprimir", "No se pudo extraer a.txt: CRC incorrecto"},
      {"truncated.zip", "own", "Error al descomprimir", "No se pudo extraer a.txt: datos incompletos"},
      {"bomb.zip", "own", "Error al descomprimir", "No se pudo extraer a.txt: mas grande que en el manifiesto"},
      {"many.zip", "", "Actualizacion sin verificar",
       "ABORTADO: manifest.json sin patch_hash. Republica la version con publicar.py."},
      {"many.zip", "UPPER", "Actualizacion alterada o incompleta", "ABORTADO: hash del parche incorrecto. Esperado "},
      {"many.zip", "0000000000000000000000000000000000000000000000000000000000000000",
       "Actualizacion alterada o incompleta", "ABORTADO: hash del parche incorrecto. Esperado 0000"},
  };
  OfferMany(false);
  Offer("a.txt", "new", false);
  ASSERT_TRUE(WriteFileBytes(game / "a.txt", "old"));
  ASSERT_TRUE(WriteFileBytes(game / "version.txt", "1.0"));
  ASSERT_TRUE(WriteFileBytes(game / "manifest_remote.json", "{}"));
  for (const Case& c : cases) {
    SeenMessages().clear();
    const std::string own = ServePatch(c.fixture);
    const std::string hash = c.patchHash;
    app.remoteManifest.patchHash = hash == "own" ? own : hash == "UPPER" ? Upper(own) : hash;
    Quietly([&] { RunUpdate(app); });
    EXPECT_EQ(SeenValues(UM_FAILED), std::vector<std::string>{c.failure}) << c.fixture << " " << hash;
    EXPECT_EQ(Names(game.path()), (std::vector<std::string>{"a.txt", "manifest_remote.json", "version.txt"}))
        << c.fixture << " " << hash << ": nothing extracted, no temporary left";
    EXPECT_EQ(ReadFileBytes(game / "a.txt"), "old") << c.fixture;
    EXPECT_EQ(ReadFileBytes(game / "version.txt"), "1.0") << c.fixture;
    EXPECT_EQ(LogMessages().back().rfind(c.logged, 0), 0u) << LogMessages().back();
  }
}

}  // namespace
