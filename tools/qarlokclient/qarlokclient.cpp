// Stand-in for the game client, for tests and the demo.
// Each start appends one line to qarlokclient_started.txt beside the executable:
//   cwd=<working directory>|cmd=<command line after the program name>
// When qarlokclient_stay.txt beside it holds a number of seconds, it keeps running that long,
// so that the launcher's running-game detection can be exercised.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string OwnDirectory() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  const size_t slash = full.rfind('\\');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const std::string directory = OwnDirectory();
  char cwd[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(MAX_PATH, cwd);

  if (FILE* record = std::fopen((directory + "qarlokclient_started.txt").c_str(), "a")) {
    std::fprintf(record, "cwd=%s|cmd=%s\n", cwd, commandLine ? commandLine : "");
    std::fclose(record);
  }

  int seconds = 0;
  if (FILE* stay = std::fopen((directory + "qarlokclient_stay.txt").c_str(), "r")) {
    if (std::fscanf(stay, "%d", &seconds) != 1) seconds = 0;
    std::fclose(stay);
  }
  if (seconds > 0) Sleep(static_cast<DWORD>(seconds) * 1000);
  return 0;
}
