// Modes whose engines are not in this build yet. They say so in the log and end cleanly.
#include "core/log.h"
#include "core/modes.h"

int RunWindowedLauncher(HINSTANCE, const char*, int) {
  Log("La ventana del launcher no esta disponible todavia en esta version");
  return 0;
}
