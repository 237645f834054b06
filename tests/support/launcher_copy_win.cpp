#include "support/launcher_copy_win.h"

#include <windows.h>

#include "support/scratch_dir_win.h"

std::string CopyTestExecutable(const ScratchDir& dir, const std::string& name) {
  const std::string exe = dir / name;
  return CopyFileA(TestExecutablePath().c_str(), exe.c_str(), FALSE) ? exe : std::string();
}

int RunChildTests(const std::string& exe, const std::string& filter, const std::string& envName,
                  const std::string& envValue, const std::string& workingDirectory) {
  SetEnvironmentVariableA(envName.c_str(), envValue.c_str());
  const HANDLE child = StartProcess(exe, "--gtest_brief=1 --gtest_filter=" + filter, workingDirectory);
  SetEnvironmentVariableA(envName.c_str(), nullptr);
  if (child == nullptr) return -1;
  const int code = WaitExitCode(child);
  CloseHandle(child);
  return code;
}

std::vector<std::string> LogMessages(const std::string& logPath) {
  std::vector<std::string> messages;
  for (const std::string& line : SplitLines(ReadFileBytes(logPath))) {
    const size_t stamp = line.find("] ");
    messages.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
  }
  return messages;
}
