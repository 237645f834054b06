// "/actualizar": an unattended repair for operators, reported to the log and standard output.
#include "core/console_line.h"
#include "core/launcher_app.h"
#include "core/log.h"
#include "core/modes.h"
#include "update/repair_win.h"

int RunHeadlessUpdate(bool quick) {
  Log("=== MODO ACTUALIZAR ===");
  LauncherApp updater(nullptr);
  updater.LoadLocalVersion();
  updater.fullVerification = !quick;
  updater.VerifyGameFiles();
  if (updater.remoteManifest.files.empty()) return 1;  // the update site could not be read
  if (!updater.pendingFiles.empty()) {
    RunUpdate(updater);
    // Judge the result by the files themselves: a second, quick verification re-reads only what the
    // update wrote (new sizes or times) and finds whatever is still missing or different.
    updater.fullVerification = false;
    updater.remoteManifest = Manifest();
    updater.VerifyGameFiles();
    if (updater.remoteManifest.files.empty()) return 1;
  }
  const int remaining = static_cast<int>(updater.pendingFiles.size());
  if (remaining == 0) {
    Log("Actualizacion: la instalacion coincide con la version %s", updater.remoteManifest.version.c_str());
    PrintLine("Instalacion al dia");
    return 0;
  }
  Log("Actualizacion: quedan %d archivos faltantes o diferentes", remaining);
  PrintLine("Quedan archivos faltantes o diferentes: " + std::to_string(remaining));
  return 1;
}
