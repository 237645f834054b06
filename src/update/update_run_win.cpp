// The update worker's run: the store when the manifest offers it, the full patch otherwise or after it.
#include <windows.h>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/module_path_win.h"
#include "core/paths.h"
#include "ui/ui_text.h"
#include "update/install_paths.h"
#include "update/messages_win.h"
#include "update/repair_win.h"
#include "update/sha256_win.h"

namespace {

// Done means every pending file now holds its published content: a skipped path, an entry missing from the
// archive or a hash the file can never have (upper case) all leave the installation unfinished. Returns how
// many pending files fall short; the first of them is logged.
int CountUnconfirmed(const LauncherApp& app) {
  const ManifestFiles& files = app.remoteManifest.files;
  const std::string runningName = RunningLauncherName();
  int unconfirmed = 0;
  for (const std::string& path : app.pendingFiles) {
    const auto entry = files.find(path);
    const bool confirmed = entry != files.end() && ClassifySitePath(path, runningName) == SitePath::Writable &&
                           Sha256File(StoreDestination(path)) == entry->second.hash;
    if (!confirmed && ++unconfirmed == 1) Log("Tras la actualizacion %s no coincide con el manifiesto", path.c_str());
  }
  if (unconfirmed > 0) Log("Actualizacion incompleta: %d archivos no coinciden con el manifiesto", unconfirmed);
  return unconfirmed;
}

}  // namespace

void RunUpdate(LauncherApp& app) {
  const std::string version = app.remoteManifest.version;
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_DOWNLOADING_PATCH) + " " + version);
  SendToWindow(app.reportWindow, UM_PROGRESS, 0, 0);

  if (app.remoteManifest.store && !app.pendingFiles.empty()) {
    if (DownloadFromStore(app) && CountUnconfirmed(app) == 0) {
      SendToWindow(app.reportWindow, UM_PROGRESS, 0, 100);
      // version.txt first: the window shows localVersion when it handles UM_UPDATE_DONE.
      app.SaveLocalVersion(version);
      app.pendingFiles.clear();
      SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_UPDATE_DONE));
      Log("Actualizado a la version %s", version.c_str());
      SendToWindow(app.reportWindow, UM_UPDATE_DONE);
      return;
    }
    PrintLine("El almacen fallo, se prueba con el patch.zip completo");
    Log("La descarga por ficheros fallo; se intenta el patch.zip completo");
    SendToWindow(app.reportWindow, UM_PROGRESS, 0, 0);
  }

  if (!InstallFullPatch(app, version)) return;
  DeleteFileA("patch_temp.zip");
  const int unconfirmed = CountUnconfirmed(app);
  if (unconfirmed > 0) {
    PrintLine("La instalacion no coincide con el manifiesto");
    SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_INSTALL_ERROR));
    SendTextToWindow(app.reportWindow, UM_FAILED,
                     "Instalacion incompleta: " + std::to_string(unconfirmed) + " archivos no coinciden");
    return;
  }
  DeleteFileA("manifest_remote.json");
  app.SaveLocalVersion(version);
  PrintLine("Actualizacion completada");
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_UPDATE_DONE));
  SendToWindow(app.reportWindow, UM_UPDATE_DONE);
}
