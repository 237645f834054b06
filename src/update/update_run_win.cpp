// The update worker's run: the store when the manifest offers it, the full patch otherwise or after it.
#include <windows.h>

#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "ui/ui_text.h"
#include "update/messages_win.h"
#include "update/repair_win.h"

void RunUpdate(LauncherApp& app) {
  const std::string version = app.remoteManifest.version;
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_DOWNLOADING_PATCH) + " " + version);
  SendToWindow(app.reportWindow, UM_PROGRESS, 0, 0);

  if (app.remoteManifest.store && !app.pendingFiles.empty()) {
    if (DownloadFromStore(app)) {
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
  DeleteFileA("manifest_remote.json");
  app.SaveLocalVersion(version);
  PrintLine("Actualizacion completada");
  SendTextToWindow(app.reportWindow, UM_STATUS, UiTextUtf8(TXT_UPDATE_DONE));
  SendToWindow(app.reportWindow, UM_UPDATE_DONE);
}
