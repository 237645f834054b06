// Repair file by file: each pending file is fetched from the store by its hash, verified, then moved into place.
#include <windows.h>

#include "core/launcher_app.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "core/unique_file.h"
#include "update/install_paths.h"
#include "update/messages_win.h"
#include "update/place_file_win.h"
#include "update/repair_win.h"
#include "update/sha256_win.h"

namespace {

constexpr char kTemporary[] = "descarga_temporal.tmp";

// A listed empty file: the store answers an empty body, which a download counts as a failure, so it is
// made here instead. It still goes through the same verification and move as a downloaded file.
bool MakeEmptyTemporary() {
  UniqueFile file(std::fopen(kTemporary, "wb"));
  return file != nullptr && std::fclose(file.release()) == 0;
}

}  // namespace

bool DownloadFromStore(LauncherApp& app) {
  const ManifestFiles& files = app.remoteManifest.files;
  const int fileCount = static_cast<int>(app.pendingFiles.size());
  int64_t totalBytes = 0;
  for (const std::string& path : app.pendingFiles) {
    const auto entry = files.find(path);
    if (entry != files.end()) totalBytes += entry->second.size;
  }
  Log("Descarga por ficheros: %d ficheros, %.2f MB", fileCount, totalBytes / 1048576.0);

  const std::string runningName = RunningLauncherName();
  int placed = 0;
  int64_t doneBytes = 0;
  for (const std::string& path : app.pendingFiles) {
    const auto found = files.find(path);
    if (found == files.end()) {
      Log("El manifiesto no tiene hash para %s", path.c_str());
      return false;
    }
    const SitePath kind = ClassifySitePath(path, runningName);
    if (kind == SitePath::Unsafe) {
      Log("Ruta insegura en el manifiesto, ignorada: %s", path.c_str());
      continue;
    }
    if (kind == SitePath::RunningLauncher) {
      Log("Omitido (es el launcher en ejecucion): %s", path.c_str());
      continue;
    }
    if (kind == SitePath::LauncherOwn) {
      Log("Omitido (es un archivo del propio launcher): %s", path.c_str());
      continue;
    }
    const ManifestEntry& entry = found->second;
    if (entry.hash.size() != 64) {
      Log("Hash con formato raro para %s", path.c_str());
      return false;
    }

    const std::string address = StoreAddress(app.updateUrl, entry.hash);
    DeleteFileA(kTemporary);
    // No more bytes than the manifest lists: a store file cannot fill the disk.
    const bool fetched = entry.hash == kEmptySha256 ? MakeEmptyTemporary()
                                                    : app.DownloadFile(address, kTemporary, 0, CappedAt(entry.size));
    if (!fetched) {
      Log("No se pudo descargar %s (%s)", path.c_str(), address.c_str());
      return false;
    }
    const std::string obtained = Sha256File(kTemporary);
    if (obtained != entry.hash) {
      Log("ABORTADO: %s llego alterado. Esperado %s, obtenido %s", path.c_str(), entry.hash.c_str(), obtained.c_str());
      DeleteFileA(kTemporary);
      return false;
    }

    const std::string destination = StoreDestination(path);
    CreateDirectories(ParentDirectory(destination));
    if (!PlaceFile(kTemporary, destination)) {
      Log("No se pudo colocar %s (error %lu)", destination.c_str(), GetLastError());
      DeleteFileA(kTemporary);
      return false;
    }
    ++placed;
    doneBytes += entry.size;

    if (app.reportWindow != nullptr) {
      if (totalBytes > 0) SendToWindow(app.reportWindow, UM_PROGRESS, 0, static_cast<LPARAM>(doneBytes * 100 / totalBytes));
      SendTextToWindow(app.reportWindow, UM_STATUS, StoreStatus(path));
      SendTextToWindow(app.reportWindow, UM_DETAIL, StoreDetail(placed, fileCount, doneBytes, totalBytes));
    }
  }
  DeleteFileA(kTemporary);
  Log("Descarga por ficheros terminada: %d de %d ficheros", placed, fileCount);
  return true;
}
