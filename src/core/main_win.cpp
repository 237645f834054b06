// Entry point: fixes the working directory, takes the folder's lock and picks the mode from the command line.
#include <windows.h>

#include "core/command_line.h"
#include "core/console_line.h"
#include "core/modes.h"
#include "core/module_path_win.h"
#include "core/process_values_win.h"
#include "core/single_instance_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  instanceHandle = instance;
  const LaunchMode mode = SelectLaunchMode(commandLine);
  const bool headless = mode != LaunchMode::Windowed;

  // Started from a shortcut or another folder, every relative file name must still resolve in the
  // launcher's own folder. Without it nothing is done at all: a log, the first-run files or an update
  // would land in whatever folder is current.
  const std::wstring directory = LauncherDirectoryWide();
  if (directory.empty() || LauncherDirectory().empty() || !SetCurrentDirectoryW(directory.c_str())) {
    if (headless) PrintLine("No se puede usar la carpeta del launcher; no se hace nada");
    return 1;
  }
  // Starting the client shares no working file with a running launcher.
  if (mode != LaunchMode::TestStart && !TakeFolderLock(mode, CommandLineHas(commandLine, kRestartSwitch))) {
    return headless ? 1 : 0;
  }

  switch (mode) {
    case LaunchMode::HeadlessVerification:
      return RunHeadlessVerification(CommandLineHas(commandLine, "rapido"));
    case LaunchMode::HeadlessUpdate:
      return RunHeadlessUpdate(CommandLineHas(commandLine, "rapido"));
    case LaunchMode::TestStart:
      return RunTestMode();
    case LaunchMode::Windowed:
      break;
  }
  return RunWindowedLauncher(instance, commandLine, showCommand);
}
