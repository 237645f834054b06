// Entry point: fixes the working directory and picks the mode from the command line.
#include <windows.h>

#include "core/command_line.h"
#include "core/modes.h"
#include "core/module_path_win.h"
#include "core/process_values_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  instanceHandle = instance;
  // Started from a shortcut or another folder, every relative file name must still resolve
  // in the launcher's own directory.
  const std::string directory = LauncherDirectory();
  if (!directory.empty()) SetCurrentDirectoryA(directory.c_str());

  switch (SelectLaunchMode(commandLine)) {
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
