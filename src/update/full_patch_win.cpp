// Repair by the whole archive: patch.zip is verified against the manifest, then extracted safely.
#include <windows.h>

#include <unzip.h>

#include <vector>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/unique_file.h"
#include "ui/ui_text.h"
#include "update/install_paths.h"
#include "update/messages_win.h"
#include "update/repair_win.h"
#include "update/sha256_win.h"

namespace {

constexpr char kArchive[] = "patch_temp.zip";
constexpr size_t kNameRoom = 512;
constexpr unsigned kCopyBlock = 8192;

struct Extraction {
  unzFile zip;
  std::string target;
  HWND reportWindow;
  int extracted = 0;
  int rejected = 0;
};

void ExtractEntry(Extraction& run, const std::string& name) {
  if (!IsSafeRelativePath(name)) {
    Log("Entrada del ZIP rechazada por ruta insegura: %s", name.c_str());
    ++run.rejected;
    return;
  }
  if (IsRunningLauncher(name)) {
    Log("Omitido del parche (es el launcher en ejecucion): %s", name.c_str());
    return;
  }
  const std::string relative = EntryRelativePath(name);
  if (relative.empty()) return;
  const std::string target = run.target + "\\" + relative;
  if (IsDirectoryEntry(name)) {
    CreateDirectories(target);
    return;
  }
  CreateDirectories(target.substr(0, target.rfind('\\')));

  if (unzOpenCurrentFile(run.zip) != UNZ_OK) {
    Log("No se pudo abrir dentro del ZIP: %s", name.c_str());
    return;
  }
  UniqueFile file(std::fopen(target.c_str(), "wb"));
  if (!file) {
    Log("No se pudo escribir: %s", target.c_str());
    unzCloseCurrentFile(run.zip);
    return;
  }
  std::vector<char> block(kCopyBlock);
  int read;
  while ((read = unzReadCurrentFile(run.zip, block.data(), kCopyBlock)) > 0) {
    std::fwrite(block.data(), 1, static_cast<size_t>(read), file.get());
  }
  file.reset();
  unzCloseCurrentFile(run.zip);

  ++run.extracted;
  if (run.extracted % 10 == 0 && run.reportWindow != nullptr) {
    SendTextToWindow(run.reportWindow, UM_STATUS,
                     UiTextUtf8(TXT_INSTALLING_FILES) + " (" + std::to_string(run.extracted) + ")");
  }
}

// The failure path of the install: a line on standard output, the status text and the short failure text.
bool Fail(LauncherApp& app, const char* console, int statusKey, const char* failure) {
  PrintLine(console);
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(statusKey));
  SendTextToWindow(app.reportWindow, UM_FAILED, failure);
  return false;
}

}  // namespace

bool ExtractPatch(LauncherApp& app, const std::string& archive, const std::string& target) {
  PrintLine("Descomprimiendo: " + archive);
  unzFile zip = unzOpen(archive.c_str());
  if (zip == nullptr) {
    PrintLine("Error al abrir el archivo ZIP: " + archive);
    return false;
  }
  if (unzGoToFirstFile(zip) != UNZ_OK) {
    unzClose(zip);
    return false;
  }
  Extraction run{zip, target, app.reportWindow};
  do {
    char name[kNameRoom] = {};
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK) {
      name[kNameRoom - 1] = '\0';
      if (name[0] != '\0') ExtractEntry(run, name);
    }
  } while (unzGoToNextFile(zip) == UNZ_OK);

  if (run.rejected > 0) {
    Log("ATENCION: %d entradas del ZIP rechazadas por intentar salirse de la carpeta del juego", run.rejected);
  }
  unzClose(zip);
  PrintLine("Archivos extraidos: " + std::to_string(run.extracted));
  return true;
}

bool InstallFullPatch(LauncherApp& app, const std::string& version) {
  const std::string address = app.updateUrl + "/" + version + "/patch.zip";
  PrintLine("Iniciando descarga de: " + address);
  if (!app.DownloadFile(address, kArchive)) {
    return Fail(app, "Error al descargar el patch", TXT_DOWNLOAD_ERROR, "Error al descargar");
  }
  PrintLine("Descarga completada. Verificando archivo...");
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_CHECKING_DOWNLOAD));

  if (!UniqueFile(std::fopen(kArchive, "rb"))) {
    return Fail(app, "El archivo patch_temp.zip no existe o esta corrupto", TXT_DOWNLOAD_DAMAGED, "Archivo corrupto");
  }
  const std::string& expected = app.remoteManifest.patchHash;
  if (expected.empty()) {
    Log("ABORTADO: manifest.json sin patch_hash. Republica la version con publicar.py.");
    DeleteFileA(kArchive);
    return Fail(app, "El manifiesto no trae el hash del parche: no se instala", TXT_UPDATE_UNVERIFIABLE,
                "Actualizacion sin verificar");
  }
  const std::string obtained = Sha256File(kArchive);
  if (obtained != expected) {
    Log("ABORTADO: hash del parche incorrecto. Esperado %s, obtenido %s", expected.c_str(), obtained.c_str());
    DeleteFileA(kArchive);
    return Fail(app, "El parche descargado NO coincide con el manifiesto", TXT_UPDATE_TAMPERED,
                "Actualizacion alterada o incompleta");
  }
  PrintLine("Hash del parche correcto");
  Log("Parche verificado: %s", obtained.c_str());
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_INSTALLING_UPDATE));

  PrintLine("Iniciando descompresion...");
  if (!ExtractPatch(app, kArchive, ".")) {
    return Fail(app, "Error al descomprimir el patch", TXT_INSTALL_ERROR, "Error al descomprimir");
  }
  PrintLine("Descompresion completada");
  return true;
}
