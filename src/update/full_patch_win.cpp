// Repair by the whole archive: patch.zip is verified against the manifest, then extracted safely.
#include <windows.h>

#include <unzip.h>

#include <vector>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "core/unique_file.h"
#include "core/unique_handle_win.h"
#include "ui/ui_text.h"
#include "update/install_paths.h"
#include "update/messages_win.h"
#include "update/place_file_win.h"
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
  const ManifestFiles& files;
  std::string runningName;
  int extracted = 0;
  int rejected = 0;
  int unlisted = 0;
};

// Copies the open entry into the file. Empty when the whole entry arrived intact and no longer than
// `limit`; otherwise why not.
std::string CopyEntry(unzFile zip, HANDLE file, int64_t limit) {
  std::vector<char> block(kCopyBlock);
  int64_t copied = 0;
  for (;;) {
    const int read = unzReadCurrentFile(zip, block.data(), kCopyBlock);
    if (read < 0) return "datos danados (" + std::to_string(read) + ")";
    if (read == 0) break;
    // The manifest's size bounds the entry, whatever its own header claims.
    if (read > limit - copied) return "mas grande que en el manifiesto";
    DWORD written = 0;
    if (!WriteFile(file, block.data(), static_cast<DWORD>(read), &written, nullptr) ||
        written != static_cast<DWORD>(read)) {
      return "error al escribir (error " + std::to_string(GetLastError()) + ")";
    }
    copied += read;
  }
  if (unzeof(zip) != 1) return "datos incompletos";
  if (copied != limit) return "tamano distinto del manifiesto";
  return std::string();
}

// Extracts one listed entry through a temporary file beside its target, which replaces the target only
// when the entry is whole and its CRC right. False when the entry failed: the target is left as it was.
bool ExtractListedEntry(Extraction& run, const std::string& name, int64_t size) {
  const std::string target = run.target + "\\" + EntryRelativePath(name);
  const std::string directory = ParentDirectory(target);
  CreateDirectories(directory);
  char temporary[MAX_PATH + 1] = {};
  if (!GetTempFileNameA(directory.c_str(), "vdl", 0, temporary)) {
    Log("No se pudo escribir: %s (error %lu)", target.c_str(), GetLastError());
    return false;
  }
  if (unzOpenCurrentFile(run.zip) != UNZ_OK) {
    DeleteFileA(temporary);
    Log("No se pudo abrir dentro del ZIP: %s", name.c_str());
    return false;
  }
  std::string failure;
  {
    UniqueKernelHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    failure = file ? CopyEntry(run.zip, file.get(), size)
                   : "error al escribir (error " + std::to_string(GetLastError()) + ")";
    if (file && !CloseHandle(file.release()) && failure.empty()) failure = "error al escribir";
  }
  // The CRC is checked when the entry is closed after its last byte.
  if (unzCloseCurrentFile(run.zip) != UNZ_OK && failure.empty()) failure = "CRC incorrecto";
  if (failure.empty() && !PlaceFile(temporary, target)) {
    failure = "no se pudo colocar (error " + std::to_string(GetLastError()) + ")";
  }
  if (!failure.empty()) {
    DeleteFileA(temporary);
    Log("No se pudo extraer %s: %s", name.c_str(), failure.c_str());
    return false;
  }
  ++run.extracted;
  if (run.extracted % 10 == 0 && run.reportWindow != nullptr) {
    SendTextToWindow(run.reportWindow, UM_STATUS,
                     UiTextUtf8(TXT_INSTALLING_FILES) + " (" + std::to_string(run.extracted) + ")");
  }
  return true;
}

// Only files that the manifest lists are written; folders come with the files in them. False when a
// listed entry failed.
bool ExtractEntry(Extraction& run, const std::string& name) {
  switch (ClassifySitePath(name, run.runningName)) {
    case SitePath::Unsafe:
      Log("Entrada del ZIP rechazada por ruta insegura: %s", name.c_str());
      ++run.rejected;
      return true;
    case SitePath::RunningLauncher:
      Log("Omitido del parche (es el launcher en ejecucion): %s", name.c_str());
      return true;
    case SitePath::LauncherOwn:
      Log("Omitido del parche (es un archivo del propio launcher): %s", name.c_str());
      return true;
    case SitePath::Writable:
      break;
  }
  if (IsDirectoryEntry(name)) return true;
  const auto listed = run.files.find(name);
  if (listed == run.files.end()) {
    ++run.unlisted;
    return true;
  }
  return ExtractListedEntry(run, name, listed->second.size);
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
  Extraction run{zip, target, app.reportWindow, app.remoteManifest.files, RunningLauncherName()};
  bool whole = true;
  do {
    char name[kNameRoom] = {};
    unz_file_info info;
    if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK) {
      name[kNameRoom - 1] = '\0';
      if (name[0] != '\0') whole = ExtractEntry(run, name);
    }
  } while (whole && unzGoToNextFile(zip) == UNZ_OK);

  if (run.rejected > 0) {
    Log("ATENCION: %d entradas del ZIP rechazadas por intentar salirse de la carpeta del juego", run.rejected);
  }
  if (run.unlisted > 0) Log("ATENCION: %d entradas del ZIP omitidas por no estar en el manifiesto", run.unlisted);
  unzClose(zip);
  PrintLine("Archivos extraidos: " + std::to_string(run.extracted));
  return whole;
}

bool InstallFullPatch(LauncherApp& app, const std::string& version) {
  const std::string address = app.updateUrl + "/" + version + "/patch.zip";
  PrintLine("Iniciando descarga de: " + address);
  const int64_t size = app.remoteManifest.patchSize;
  if (!app.DownloadFile(address, kArchive, 0, size > 0 ? CappedAt(size) : DownloadLimits())) {
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
    DeleteFileA(kArchive);
    return Fail(app, "Error al descomprimir el patch", TXT_INSTALL_ERROR, "Error al descomprimir");
  }
  PrintLine("Descompresion completada");
  return true;
}
