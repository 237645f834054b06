#include "core/command_line.h"

#include <cstring>

bool CommandLineHas(const char* commandLine, const char* text) {
  return commandLine != nullptr && std::strstr(commandLine, text) != nullptr;
}

LaunchMode SelectLaunchMode(const char* commandLine) {
  // Order matters: "/verificar /test" verifies.
  if (CommandLineHas(commandLine, "/verificar")) return LaunchMode::HeadlessVerification;
  if (CommandLineHas(commandLine, "/actualizar")) return LaunchMode::HeadlessUpdate;
  if (CommandLineHas(commandLine, "/prueba") || CommandLineHas(commandLine, "/test")) return LaunchMode::TestStart;
  return LaunchMode::Windowed;
}
