// Headless test of starting the game client ("/prueba", "/test").
#include <windows.h>
#include <shellapi.h>

#include "core/build_stamp.h"
#include "core/log.h"
#include "core/modes.h"
#include "core/module_path_win.h"

int RunTestMode() {
  const std::string directory = LauncherDirectory();
  const std::string client = directory + "qarlokclient.exe";
  Log("=== MODO PRUEBA ===");
  Log("Build: %s %s", BuildDate(), BuildTime());
  Log("Directorio del launcher: %s", directory.c_str());

  if (GetFileAttributesA(client.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Log("RESULTADO: qarlokclient.exe NO existe (error %lu)", GetLastError());
    return 2;
  }
  const INT_PTR result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", client.c_str(), nullptr, directory.c_str(), SW_SHOWNORMAL));
  if (result > 32) {
    Log("RESULTADO: ShellExecute OK");
    return 0;
  }
  Log("RESULTADO: ShellExecute FALLO con codigo %d", static_cast<int>(result));
  return 1;
}
