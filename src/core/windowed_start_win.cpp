// The windowed launcher. Its window is not in this build yet: start-up runs the steps that come
// before the window (self-update clean-up, first-run files), says so in the log and ends.
#include "core/first_run_win.h"
#include "core/log.h"
#include "core/modes.h"
#include "update/self_update_win.h"

int RunWindowedLauncher(HINSTANCE, const char*, int) {
  RemoveOldLauncher();
  EnsureLocaleFile();
  EnsureClientSettingsFile();
  EnsureDesktopShortcut();
  Log("La ventana del launcher no esta disponible todavia en esta version");
  return 0;
}
